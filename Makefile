# PLIM: `make run` plays, `make test` runs the whole suite.  Both install what
# is missing first.
DIR ?= .
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps build run test bench clean

deps:
	@tools/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DPLIM_TESTS=OFF >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/plim "$(DIR)"

test: deps
	@tools/run-tests.sh

bench: build
	$(BUILD)/plim_bench

clean:
	rm -rf $(BUILD) build-test build-asan build-tsan *.log
