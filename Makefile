# Everyday commands; each installs what is missing first.
BUILD_DIR ?= build
BUILD_TYPE ?= Debug
JOBS ?= $(shell nproc)

.PHONY: all deps configure build format-check test bench bench-long clean screenshots release install install-user

all: build

deps:
	@scripts/install-deps

# ccache speeds up rebuilds where it is installed; the build does not need it.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(LAUNCHER) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS)

format-check: deps
	@scripts/check-format

test: build format-check
	@scripts/run-tests $(BUILD_DIR)

bench: deps
	@cmake -S . -B $(BUILD_DIR)-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVESK_BUILD_TESTS=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(BUILD_DIR)-release -j$(JOBS) --target bench

# The ten-minute idle figure.
bench-long: deps
	@cmake -S . -B $(BUILD_DIR)-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVESK_BUILD_TESTS=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(BUILD_DIR)-release -j$(JOBS) --target bench-long

screenshots: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS) --target vesk-screenshots
	@rm -rf $(BUILD_DIR)/screenshots
	@$(BUILD_DIR)/tests/views/screenshots/vesk-screenshots $(BUILD_DIR)/screenshots

# Installs a release build: `make install` for the system (PREFIX, default /usr/local, needs root),
# `make install-user` into ~/.local, registered as the handler of vesk:// links.
PREFIX ?= /usr/local
USER_PREFIX ?= $(HOME)/.local

release: deps
	@cmake -S . -B $(BUILD_DIR)-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVESK_BUILD_TESTS=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(BUILD_DIR)-release -j$(JOBS) --target vesk-bar

install: release
	@cmake --install $(BUILD_DIR)-release --prefix $(PREFIX)
	-@update-desktop-database $(PREFIX)/share/applications 2>/dev/null
	-@gtk-update-icon-cache -q -t $(PREFIX)/share/icons/hicolor 2>/dev/null

install-user: release
	@cmake --install $(BUILD_DIR)-release --prefix $(USER_PREFIX)
	-@update-desktop-database $(USER_PREFIX)/share/applications 2>/dev/null
	-@gtk-update-icon-cache -q -t $(USER_PREFIX)/share/icons/hicolor 2>/dev/null
	@if command -v xdg-mime >/dev/null; then xdg-mime default vesk-bar.desktop x-scheme-handler/vesk; \
	  echo "Installed into $(USER_PREFIX); vesk:// links now open Vesk Bar."; \
	else echo "Installed into $(USER_PREFIX). Install xdg-utils and run 'xdg-mime default vesk-bar.desktop x-scheme-handler/vesk'."; fi

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-release
