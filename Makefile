# PLIM's commands; `make` alone lists them.  Each first installs the Debian
# packages it needs and this machine lacks (scripts/install-deps.sh GROUP...):
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
	@scripts/install-deps.sh program
	@scripts/build.sh $(BUILD) plim
	@scripts/run-plim.sh $(BUILD)/plim "$(DIR)" $(if $(KEYS),--keys)

## build: build plim, plim-render and plim-shot (and plim-song, for the examples) into build/
build:
	@scripts/install-deps.sh program tools
	@scripts/build.sh $(BUILD) plim plim-render plim-shot plim-song plim_icons

## test: the whole suite in three builds, then the fuzzers (about 10 minutes)
test:
	@scripts/install-deps.sh test bench
	@scripts/run-tests.sh

## fuzz: each fuzzer for FUZZ_SECONDS (default 600)
FUZZ_SECONDS ?= 600
fuzz:
	@scripts/install-deps.sh test
	@scripts/run-fuzz.sh $(FUZZ_SECONDS)

## bench: time the sound engine and the screens (the columns are explained first)
bench:
	@scripts/install-deps.sh program bench
	@scripts/build.sh $(BUILD) plim_bench
	@scripts/run-bench.sh $(BUILD)/plim_bench

## install: install into PREFIX (default /usr/local; DESTDIR is honoured)
install: build
	@scripts/install.sh install $(BUILD) "$(PREFIX)"

## uninstall: remove what install put, and the folders it made (same PREFIX)
uninstall:
	@scripts/install.sh uninstall $(BUILD) "$(PREFIX)"

## deb: the Debian package, dist/plim_VERSION_ARCH.deb (DEB_ARCH=arm64 or armhf to cross-build)
deb:
	@scripts/install-deps.sh program tools deb $(if $(DEB_ARCH),port)
	@scripts/make-deb.sh $(DEB_ARCH)

## deb-check: build the package and check it, installed on a fresh Debian 12 (CI runs it)
deb-check:
	@scripts/install-deps.sh program tools deb-check
	@scripts/deb-check.sh

## dist: the source of the last commit, dist/plim-VERSION.tar.gz
dist:
	@scripts/make-dist.sh

## port: the handheld port, dist/plim.zip (see README, Handhelds)
port:
	@scripts/install-deps.sh program tools port
	@scripts/make-port.sh

## cross-check: PLIM on aarch64 and armhf, under qemu, does exactly what it does here
cross-check:
	@scripts/install-deps.sh program tools port
	@scripts/cross-check.sh

## format: lay out every C and C++ file as .clang-format says
format:
	@scripts/install-deps.sh test
	@scripts/check-format.sh --fix

## clean: remove the build folders, dist/ and the logs
clean:
	rm -rf $(BUILD) build build-* dist *.log

## web: PLIM in the browser, dist/web: index.html (one self-contained page) and what installs it as an app (see README, In the browser)
web:
	@scripts/install-deps.sh program tools web
	@scripts/build-web.sh

## web-check: the browser build sounds and plays exactly as this machine's build (CI runs it)
web-check:
	@scripts/install-deps.sh program tools web
	@scripts/web-check.sh
