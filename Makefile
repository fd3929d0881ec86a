# Velrok: quick start is `make demo` and `make test`.
PACKAGES := cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-tools-dev qt6-l10n-tools \
            libcli11-dev nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth \
            python3-ezdxf imagemagick libgeos-dev
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
CLI        := $(BUILD)/bin/velrok-cli

.PHONY: deps build test test-fast test-asan demo run bench screenshots clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELROK_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

test-fast: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The core once more under AddressSanitizer and UndefinedBehaviorSanitizer (no GUI).
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVELROK_SANITIZE=ON -DVELROK_GUI=OFF \
	      -DVELROK_BENCH=OFF -DVELROK_WERROR=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

test: test-fast test-asan

demo: build
	@if [ -x tools/demo.sh ]; then tools/demo.sh $(BUILD); else $(CLI) vehicles; fi

run: build
	$(BUILD)/bin/velrok

bench: build
	@for b in $(BUILD)/bin/*Bench; do [ -x "$$b" ] && "$$b"; done

screenshots: build
	@tools/screenshots.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) out
