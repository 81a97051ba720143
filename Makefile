# PLIM's commands; `make` alone lists them.  Each first installs the Debian
# packages it needs and this machine lacks (tools/install-deps.sh GROUP...):
# `make run` only the program's.  A new command is a target with a `## `
# line above it, which is what `make` lists.
DIR ?= .
PREFIX ?= /usr/local
BUILD ?= build
JOBS ?= $(shell nproc)
export JOBS
# The build tools' own makes say nothing about changing directory.
MAKEFLAGS += --no-print-directory

.DEFAULT_GOAL := help
.PHONY: help run build test bench fuzz install uninstall format clean port cross-check deb dist deb-check web web-check

## help: this list
help:
	@echo "PLIM: make COMMAND, where COMMAND is one of"
	@sed -n 's/^## \([^:]*\): /  \1\t/p' $(MAKEFILE_LIST) | expand -t 16

## run: build and play; the song is kept in DIR (make run DIR=songs; default here); KEYS=1 plays the grid with keys
run:
	@tools/install-deps.sh program
	@tools/build.sh $(BUILD) plim
	@tools/run-plim.sh $(BUILD)/plim "$(DIR)" $(if $(KEYS),--keys)

## build: build plim, plim-render and plim-shot (and plim-song, for the examples) into build/
build:
	@tools/install-deps.sh program tools
	@tools/build.sh $(BUILD) plim plim-render plim-shot plim-song plim_icons

## test: the whole suite in three builds, then the fuzzers (about 10 minutes)
test:
	@tools/install-deps.sh test bench
	@tools/run-tests.sh

## fuzz: each fuzzer for FUZZ_SECONDS (default 600)
FUZZ_SECONDS ?= 600
fuzz:
	@tools/install-deps.sh test
	@tools/run-fuzz.sh $(FUZZ_SECONDS)

## bench: time the sound engine and the screens (the columns are explained first)
bench:
	@tools/install-deps.sh program bench
	@tools/build.sh $(BUILD) plim_bench
	@tools/run-bench.sh $(BUILD)/plim_bench

## install: install into PREFIX (default /usr/local; DESTDIR is honoured)
install: build
	@tools/install.sh install $(BUILD) "$(PREFIX)"

## uninstall: remove what install put, and the folders it made (same PREFIX)
uninstall:
	@tools/install.sh uninstall $(BUILD) "$(PREFIX)"

## deb: the Debian package, dist/plim_VERSION_ARCH.deb (DEB_ARCH=arm64 or armhf to cross-build)
deb:
	@tools/install-deps.sh program tools deb $(if $(DEB_ARCH),port)
	@tools/make-deb.sh $(DEB_ARCH)

## deb-check: build the package and check it, installed on a fresh Debian 12 (CI runs it)
deb-check:
	@tools/install-deps.sh program tools deb-check
	@tools/deb-check.sh

## dist: the source of the last commit, dist/plim-VERSION.tar.gz
dist:
	@tools/make-dist.sh

## port: the handheld port, dist/plim.zip (see README, Handhelds)
port:
	@tools/install-deps.sh program tools port
	@tools/make-port.sh

## cross-check: PLIM on aarch64 and armhf, under qemu, does exactly what it does here
cross-check:
	@tools/install-deps.sh program tools port
	@tools/cross-check.sh

## format: lay out every C and C++ file as .clang-format says
format:
	@tools/install-deps.sh test
	@tools/check-format.sh --fix

## clean: remove the build folders, dist/ and the logs
clean:
	rm -rf $(BUILD) build build-* dist *.log

## web: PLIM in the browser, dist/web: index.html (one self-contained page) and what installs it as an app (see README, In the browser)
web:
	@tools/install-deps.sh program tools web
	@tools/build-web.sh

## web-check: the browser build sounds and plays exactly as this machine's build (CI runs it)
web-check:
	@tools/install-deps.sh program tools web
	@tools/web-check.sh
