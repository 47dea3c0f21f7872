# Front door for newcomers and CI. Everything real happens in CMake.
BUILD   ?= build
CMAKE_FLAGS ?=
JOBS    ?= $(shell nproc)
DEB_PKGS = qt6-base-dev libusb-1.0-0-dev libgtest-dev libgmock-dev cmake ninja-build clang xvfb pkg-config g++ fonts-nanum desktop-file-utils dpkg-dev file

.PHONY: all deps configure build test demo screenshots bench fuzz format clean package

all: build

deps:
	@missing=""; for p in $(DEB_PKGS); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" = 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing >/dev/null; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# The Debian package, in $(BUILD)/: wintav32_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD) --target package

demo: build
	@if [ -x tools/demo.sh ]; then tools/demo.sh $(BUILD); else echo "demo: not yet"; fi

screenshots: build
	@if [ -x tools/screenshots.sh ]; then tools/screenshots.sh $(BUILD); else echo "screenshots: not yet"; fi

bench: build
	@if [ -x tools/bench.sh ]; then tools/bench.sh $(BUILD); else echo "bench: not yet"; fi

# Open-ended libFuzzer runs (clang), FUZZ_SECONDS per target; `make test` runs the fixed-seed drivers.
FUZZ_SECONDS ?= 60
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAV_GUI=OFF -DTAV_FUZZ=ON
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	@for f in $(BUILD)-fuzz/fuzz/libfuzzer_*; do echo "== $$f"; $$f -max_total_time=$(FUZZ_SECONDS) || exit 1; done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
