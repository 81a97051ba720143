# Sourced by the test and fuzz scripts.  ThreadSanitizer (and, on some kernels,
# AddressSanitizer) cannot map its shadow memory when the address space is
# randomised with more than 28 bits.  Sets NO_ASLR to a command prefix that
# runs a program without randomisation, changing nothing outside it.  Where
# the kernel refuses that (setarch -R), lowers vm.mmap_rnd_bits for the run
# instead; restore_aslr_bits puts it back, and runs on exit, also when the
# script is interrupted (a script with an EXIT trap of its own calls it there).
NO_ASLR=()
restore_aslr_bits() { :; }
if setarch "$(uname -m)" -R true 2>/dev/null; then
    NO_ASLR=(setarch "$(uname -m)" -R)
else
    aslr_bits_before=$(cat /proc/sys/vm/mmap_rnd_bits 2>/dev/null || echo 0)
    if [[ $aslr_bits_before -gt 28 ]] && sysctl -qw vm.mmap_rnd_bits=28 2>/dev/null; then
        restore_aslr_bits() { sysctl -qw vm.mmap_rnd_bits="$aslr_bits_before" 2>/dev/null || true; }
        echo "note: vm.mmap_rnd_bits lowered from $aslr_bits_before to 28 for the sanitizers; restored on exit"
    fi
fi
trap restore_aslr_bits EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
