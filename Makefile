# The two everyday commands: `make demo` and `make test`. Both install what is missing first.
BUILD_DIR ?= build
BUILD_TYPE ?= Debug
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS)

test: build
	@scripts/run-tests $(BUILD_DIR)

bench: deps
	@cmake -S . -B $(BUILD_DIR)-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVESK_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BUILD_DIR)-release -j$(JOBS) --target bench

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-release
