# Front door for newcomers and CI. Everything real happens in CMake.
BUILD   ?= build
CMAKE_FLAGS ?=
JOBS    ?= $(shell nproc)
# Most tests spend their time waiting on a simulated printer, not on a core: three at a time a
# core keeps the cores busy.
TEST_JOBS ?= $(shell echo $$(( $(JOBS) * 3 )))
DEB_PKGS = qt6-base-dev libusb-1.0-0-dev libgtest-dev libgmock-dev cmake ninja-build clang xvfb pkg-config g++ fonts-nanum desktop-file-utils dpkg-dev file umockdev libumockdev-dev bash-completion nlohmann-json3-dev

.PHONY: all deps configure build test test-sanitize demo screenshots bench fuzz format clean package

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

# A folder configured before still takes CMAKE_FLAGS: CMake keeps what it had and applies these.
configure:
	@if [ ! -f $(BUILD)/build.ninja ] || [ -n "$(CMAKE_FLAGS)" ]; then \
	  cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS); fi

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(TEST_JOBS) --timeout 300

# The Debian package, in $(BUILD)/: wintav32_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD) --target package

# The whole suite once more with AddressSanitizer and UndefinedBehaviorSanitizer, in its own
# folder. The first report stops the program that made it, so a finding is a failed test, and the
# programs the tests start (tavsim, wintav32, tavctl, nux) inherit the same settings.
SAN_SUPP = $(CURDIR)/tools/sanitizers
SAN_ENV  = ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=0:strict_string_checks=1:check_initialization_order=1 \
           LSAN_OPTIONS=suppressions=$(SAN_SUPP)/lsan.supp:print_suppressions=0 \
           UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$(SAN_SUPP)/ubsan.supp
test-sanitize: deps
	cmake -S . -B $(BUILD)-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAV_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD)-san -j $(JOBS)
	cd $(BUILD)-san && $(SAN_ENV) ctest --output-on-failure -j $(JOBS) --timeout 600

demo: build
	tools/demo.sh $(BUILD)

screenshots: build
	tools/screenshots.sh $(BUILD)

bench: build
	tools/bench.sh $(BUILD)

# Open-ended libFuzzer runs (clang), FUZZ_SECONDS per target; `make test` runs the fixed-seed drivers.
# Each target starts from its kept corpus (fuzz/corpus/NAME, read only) and writes what it finds
# to $(BUILD)-fuzz/corpus/NAME; a crash leaves its input in $(BUILD)-fuzz/artifacts/. A finding is
# fixed, then copied into fuzz/corpus/NAME as a regression seed.
FUZZ_SECONDS ?= 60
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAV_GUI=OFF -DTAV_FUZZ=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzzers
	@mkdir -p $(BUILD)-fuzz/artifacts
	@for f in $(BUILD)-fuzz/fuzz/libfuzzer_*; do n=$${f##*/libfuzzer_}; echo "== $$n"; \
	  mkdir -p $(BUILD)-fuzz/corpus/$$n; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 -artifact_prefix=$(BUILD)-fuzz/artifacts/$$n- \
	    $(BUILD)-fuzz/corpus/$$n fuzz/corpus/$$n || exit 1; done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
