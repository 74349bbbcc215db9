# The two commands of the README: `make run` and `make test`.
# Both install what is missing, configure and build first.
BUILD ?= build
JOBS ?= 2
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
ifdef CI
CMAKE_FLAGS += -DVARNHOLD_WERROR=ON
endif

# -noreset: a test that starts right after another one closed its last window must still find
# the server there.
XVFB = xvfb-run -a -s "-screen 0 1280x720x24 -noreset"

.PHONY: all deps configure build run test watch package test-asan fuzz-smoke format format-check clean

all: build

deps:
	./scripts/deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The game reads "../assets/", so it runs from the build folder beside assets/.
run: build
	cd $(BUILD) && ./Varnhold

# The Debian package, build/varnhold_<version>_amd64.deb (install it with
# `sudo apt install ./build/varnhold_<version>_amd64.deb`).
package: build
	cd $(BUILD) && cpack

# Every test, under one virtual X display; sound goes to OpenAL Soft's null driver. The watched
# soak (label "watch", half an hour of a real window) is run by hand with `make watch`.
test: build
	cd $(BUILD) && ALSOFT_DRIVERS=null $(XVFB) ctest --output-on-failure -j$(JOBS) -LE watch $(CTEST_ARGS)

# The watched soak: the real game played for 30 minutes, one line of figures per minute.
watch: build
	cd $(BUILD) && ctest --output-on-failure -V -L watch $(CTEST_ARGS)

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of
# its own; any report fails the test that made it. Leaks are checked in the tests without a GL
# context only: Mesa unloads its driver before the leak check runs at exit, and what it leaves
# has no stack that a suppression could name (tests/harden/lsan.supp names the rest). The X
# server runs with -noreset: a test starting while it resets after the last client cannot open
# the display.
ASAN_BUILD ?= build-asan
XVFB_NORESET = xvfb-run -a -s "-screen 0 1280x720x24 -noreset"
SANITIZER_ENV = ALSOFT_DRIVERS=null UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/harden/lsan.supp:print_suppressions=0
GL_LABELS = display|soak|sweep

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVARNHOLD_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && status=0; \
	$(SANITIZER_ENV) ASAN_OPTIONS=detect_leaks=1 $(XVFB_NORESET) \
		ctest --output-on-failure -j$(JOBS) -LE '$(GL_LABELS)|watch|package' $(CTEST_ARGS) || status=1; \
	$(SANITIZER_ENV) ASAN_OPTIONS=detect_leaks=0 $(XVFB_NORESET) \
		ctest --output-on-failure -j$(JOBS) -L '$(GL_LABELS)' $(CTEST_ARGS) || status=1; \
	exit $$status

# A short run of each libFuzzer target from its committed seeds, so that a regression shows. The
# fuzzers are built by CMake with clang, from the same library targets as the game.
FUZZ_SECONDS ?= 30
FUZZ_BUILD ?= build-fuzz
fuzz-smoke: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNHOLD_FUZZ=ON \
		-DVARNHOLD_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target tiled_fuzzer form_fuzzer highscore_fuzzer
	FUZZ_BIN=$(CURDIR)/$(FUZZ_BUILD) ./fuzz/smoke.sh $(FUZZ_SECONDS)

# The house format (.clang-format) over every source of ours; format-check fails on a file it would
# change, and CI runs it.
FORMATTED = $(shell git ls-files '*.cpp' '*.hpp')
format: deps
	clang-format -i $(FORMATTED)
format-check: deps
	clang-format --dry-run --Werror $(FORMATTED)

clean:
	rm -rf $(BUILD)
