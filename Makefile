# PLIM: `make run` plays, `make test` runs the whole suite.  Both install what
# is missing first.
DIR ?= .
PREFIX ?= /usr/local
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps build run test bench fuzz install clean

deps:
	@tools/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DPLIM_TESTS=OFF >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@mkdir -p "$(DIR)"
	$(BUILD)/plim "$(DIR)"

test: deps
	@tools/run-tests.sh

# Each fuzzer for FUZZ_SECONDS (the test command runs them for a minute).
FUZZ_SECONDS ?= 600
fuzz: deps
	@tools/run-fuzz.sh $(FUZZ_SECONDS)

bench: build
	$(BUILD)/plim_bench

# PREFIX sets where (default /usr/local); DESTDIR is honoured for staging.
install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

clean:
	rm -rf $(BUILD) build-test build-asan build-tsan build-fuzz *.log

# The handheld port: dist/plim-port.zip, plim for aarch64 and armhf with its
# launcher (packaging/handheld; the README's Handhelds section).
.PHONY: port cross-check
port:
	@tools/install-deps.sh port
	@tools/make-port.sh

# PLIM built for aarch64 and armhf, run under qemu, sounds, draws and behaves
# exactly as this machine's build; CI runs it after the test command.
cross-check:
	@tools/install-deps.sh port
	@tools/cross-check.sh
