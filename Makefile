# PLIM: `make run` plays, `make test` runs the whole suite.  Each target
# first installs the packages it needs and this machine lacks
# (tools/install-deps.sh GROUP...): `make run` only the program's.
DIR ?= .
PREFIX ?= /usr/local
BUILD ?= build
JOBS ?= $(shell nproc)
CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DPLIM_TESTS=OFF

.PHONY: deps build run test bench fuzz install uninstall clean format

# Everything the test command, the fuzzers and the benchmarks need.
deps:
	@tools/install-deps.sh test bench

# The program and the tools (plim-render, plim-shot).
build:
	@tools/install-deps.sh program tools
	@$(CONFIGURE) -DPLIM_TOOLS=ON -DPLIM_BENCH=OFF >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

# The program alone; plim makes DIR if it is missing.
run:
	@tools/install-deps.sh program
	@$(CONFIGURE) -DPLIM_BENCH=OFF >/dev/null
	@cmake --build $(BUILD) -j$(JOBS) --target plim
	$(BUILD)/plim "$(DIR)"

test: deps
	@tools/run-tests.sh

# Each fuzzer for FUZZ_SECONDS (the test command runs them for a minute).
FUZZ_SECONDS ?= 600
fuzz: deps
	@tools/run-fuzz.sh $(FUZZ_SECONDS)

bench:
	@tools/install-deps.sh program bench
	@$(CONFIGURE) -DPLIM_BENCH=ON >/dev/null
	@cmake --build $(BUILD) -j$(JOBS) --target plim_bench
	$(BUILD)/plim_bench

# PREFIX sets where (default /usr/local); DESTDIR is honoured for staging.
# The programs are stripped as they are installed.
install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

# Removes exactly what `make install` with the same PREFIX and DESTDIR put.
uninstall: build
	@tools/uninstall.sh $(BUILD) "$(PREFIX)"

# Lays out every C and C++ file as .clang-format says (the test command checks it).
format:
	@tools/install-deps.sh test
	@tools/check-format.sh --fix

clean:
	rm -rf $(BUILD) build-test build-asan build-tsan build-fuzz build-native build-aarch64 build-armhf build-web dist *.log

# The handheld port: dist/plim-port.zip, plim for aarch64 and armhf with its
# launcher (packaging/handheld; the README's Handhelds section).
.PHONY: port cross-check
port:
	@tools/install-deps.sh program tools port
	@tools/make-port.sh

# PLIM built for aarch64 and armhf, run under qemu, sounds, draws and behaves
# exactly as this machine's build; CI runs it after the test command.
cross-check:
	@tools/install-deps.sh program tools port
	@tools/cross-check.sh

# PLIM in the browser: dist/web/index.html, one self-contained page, and
# build-web/plim-render.js for Node (the README's Browser section).
.PHONY: web web-check
web:
	@tools/install-deps.sh program web
	@tools/build-web.sh

# The browser build renders exactly as this machine's build, and the page
# plays in headless Chromium; CI runs it.
web-check:
	@tools/install-deps.sh program tools web
	@tools/web-check.sh
