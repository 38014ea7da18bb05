# The two everyday commands: `make demo` and `make test`. Both install what is missing first.
BUILD_DIR ?= build
BUILD_TYPE ?= Debug
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test bench clean screenshots

all: build

deps:
	@scripts/install-deps

# ccache speeds up rebuilds where it is installed; the build does not need it.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(LAUNCHER) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS)

test: build
	@scripts/run-tests $(BUILD_DIR)

bench: deps
	@cmake -S . -B $(BUILD_DIR)-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVESK_BUILD_TESTS=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(BUILD_DIR)-release -j$(JOBS) --target bench

screenshots: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS) --target vesk-screenshots
	@rm -rf $(BUILD_DIR)/screenshots
	@$(BUILD_DIR)/tests/views/screenshots/vesk-screenshots $(BUILD_DIR)/screenshots

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-release
