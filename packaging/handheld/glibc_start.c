/* Start-up for the handheld port: lets plim start on C libraries older than 2.34. */

/*
 * Since the C library 2.34, the start file every program is linked with (the
 * glibc Scrt1.o) calls __libc_start_main@GLIBC_2.34 with no init and fini
 * routines, and the library finds the program's constructors itself.  That
 * one reference makes a program refuse to start on any older C library, which
 * is what many handheld firmwares carry.
 *
 * The C library still exports the same routine under the architecture's
 * first version (GLIBC_2.17 on aarch64, GLIBC_2.4 on armhf), which every
 * release since then has provided, and which, like the library start files
 * before 2.34 did, takes an init routine that runs the program's
 * constructors.  This file defines __libc_start_main inside the program (so
 * the start file's call lands here, not in the library) and passes the call
 * on to that first version with such an init routine: the same _init() and
 * init-array walk the pre-2.34 start files linked into every program.  The
 * run-time linker has already run the pre-init array; the fini array is run
 * by the run-time linker at exit, as before, so no fini routine is passed.
 *
 * Contract: linked into the plim executable only (never into a shared
 * library); called once, by the start file, before anything else.
 */
#include <stddef.h>

#if defined(__aarch64__)
#define FIRST_GLIBC "GLIBC_2.17"
#elif defined(__arm__)
#define FIRST_GLIBC "GLIBC_2.4"
#elif defined(__x86_64__)
#define FIRST_GLIBC "GLIBC_2.2.5"
#else
#error "glibc_start.c: no first C library version known for this processor"
#endif

typedef int (*main_routine)(int, char**, char**);
typedef void (*init_routine)(int, char**, char**);

/* Bounds of the program's own init array, set by the linker. */
extern const init_routine __init_array_start[] __attribute__((visibility("hidden")));
extern const init_routine __init_array_end[] __attribute__((visibility("hidden")));
/* The .init section's routine, from the tool chain's crti.o. */
extern void _init(void);

/* The library's start routine under its first version. */
int first_libc_start_main(main_routine main, int argc, char** argv, main_routine init,
                          void (*fini)(void), void (*rtld_fini)(void), void* stack_end);
__asm__(".symver first_libc_start_main, __libc_start_main@" FIRST_GLIBC);

/* Runs the program's constructors: _init, then the init array in order. */
static int run_constructors(int argc, char** argv, char** envp)
{
    _init();
    size_t count = (size_t)(__init_array_end - __init_array_start);
    for (size_t i = 0; i < count; i++) __init_array_start[i](argc, argv, envp);
    return 0;
}

__attribute__((visibility("hidden"))) int __libc_start_main(main_routine main, int argc,
                                                            char** argv, main_routine init,
                                                            void (*fini)(void),
                                                            void (*rtld_fini)(void),
                                                            void* stack_end)
{
    /* The 2.34 start file passes neither; an older one would pass its own. */
    (void)init;
    (void)fini;
    return first_libc_start_main(main, argc, argv, run_constructors, NULL, rtld_fini, stack_end);
}
