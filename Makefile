# Everyday commands; each installs what is missing first.
BUILD_DIR ?= build
BUILD_TYPE ?= Debug
JOBS ?= $(shell nproc)

.PHONY: all deps configure build format-check test test-fast test-sanitize fuzz bench bench-long clean screenshots \
	release install install-user demo readme-screenshot uninstall-user

all: build

deps:
	@scripts/install-deps

# ccache speeds up rebuilds where it is installed; the build does not need it.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# The service addresses, given on the command line (`make install-user VESK_API_BASE=https://...
# VESK_WEB_URL=https://...`), reach both the Debug and the release build and stay in their caches.
# Values from the environment are ignored: there VESK_WEB_URL is the run-time override.
SERVICE := $(if $(filter command line,$(origin VESK_API_BASE)),-DVESK_API_BASE=$(VESK_API_BASE)) \
           $(if $(filter command line,$(origin VESK_WEB_URL)),-DVESK_WEB_URL=$(VESK_WEB_URL))

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(LAUNCHER) $(SERVICE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS)

format-check: deps
	@scripts/check-format

# `make test` runs the suite twice: the normal build, then a second build of everything with
# AddressSanitizer + UndefinedBehaviorSanitizer, where any report fails. `make test-fast` skips the second.
test: test-fast
	@$(MAKE) --no-print-directory test-sanitize

test-fast: build format-check
	@scripts/run-tests $(BUILD_DIR)

SANITIZE_DIR ?= $(BUILD_DIR)-asan
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVESK_SANITIZE=ON $(LAUNCHER) >/dev/null
	@cmake --build $(SANITIZE_DIR) -j$(JOBS)
	@scripts/run-tests $(SANITIZE_DIR)

# `make fuzz`: every libFuzzer target in fuzz/ for FUZZ_SECONDS each, built with clang 14 in its own folder.
FUZZ_DIR ?= $(BUILD_DIR)-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/install-deps --fuzz
	@cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++-14 \
	  -DVESK_FUZZ=ON -DVESK_BUILD_TESTS=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(FUZZ_DIR) -j$(JOBS) --target fuzzers
	@scripts/run-fuzz $(FUZZ_DIR) $(FUZZ_SECONDS)

bench: deps
	@cmake -S . -B $(BUILD_DIR)-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVESK_BUILD_TESTS=OFF $(LAUNCHER) $(SERVICE) >/dev/null
	@cmake --build $(BUILD_DIR)-release -j$(JOBS) --target bench

# The ten-minute idle figure.
bench-long: deps
	@cmake -S . -B $(BUILD_DIR)-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVESK_BUILD_TESTS=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(BUILD_DIR)-release -j$(JOBS) --target bench-long

# Vesk Bar against the built-in demo service, with a profile of its own under build/demo-home.
# `make demo SIGNED_OUT=1` starts signed out, to try the browser sign-in.
demo:
	@SIGNED_OUT=$(SIGNED_OUT) scripts/run-demo $(BUILD_DIR)

# The README's picture of the panel, taken from the demo under a private Xvfb.
readme-screenshot: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS) --target vesk-bar vesk-demo-service
	@scripts/readme-screenshot $(BUILD_DIR) docs/panel.png

screenshots: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS) --target vesk-screenshots
	@rm -rf $(BUILD_DIR)/screenshots
	@$(BUILD_DIR)/tools/screenshots/vesk-screenshots $(BUILD_DIR)/screenshots

# Installs a release build: `make install` for the system (PREFIX, default /usr/local, needs root),
# `make install-user` into ~/.local, registered as the handler of vesk:// links.
PREFIX ?= /usr/local
USER_PREFIX ?= $(HOME)/.local

release: deps
	@cmake -S . -B $(BUILD_DIR)-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVESK_BUILD_TESTS=OFF $(LAUNCHER) $(SERVICE) >/dev/null
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

# Removes what install-user put into ~/.local and the vesk:// handler registration. The token,
# settings and start-at-login entry stay: the README says how to remove them.
uninstall-user:
	@rm -f $(USER_PREFIX)/bin/vesk-bar $(USER_PREFIX)/share/applications/vesk-bar.desktop \
	  $(USER_PREFIX)/share/metainfo/vesk-bar.metainfo.xml \
	  $(USER_PREFIX)/share/icons/hicolor/scalable/apps/vesk-bar.svg \
	  $(USER_PREFIX)/share/icons/hicolor/scalable/status/vesk-bar-tray.svg \
	  $(USER_PREFIX)/share/icons/hicolor/scalable/status/vesk-bar-symbolic.svg
	-@update-desktop-database $(USER_PREFIX)/share/applications 2>/dev/null
	-@gtk-update-icon-cache -q -t $(USER_PREFIX)/share/icons/hicolor 2>/dev/null
	@mimeapps=$${XDG_CONFIG_HOME:-$(HOME)/.config}/mimeapps.list; \
	if [ -f "$$mimeapps" ]; then sed -i '/^x-scheme-handler\/vesk=/d' "$$mimeapps"; fi
	@echo "Removed Vesk Bar from $(USER_PREFIX)."

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-release $(SANITIZE_DIR) $(FUZZ_DIR)
