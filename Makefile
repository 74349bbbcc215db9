# The two commands of the README: `make run` and `make test`.
# Both install what is missing, configure and build first.
BUILD ?= build
JOBS ?= 2
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
ifdef CI
CMAKE_FLAGS += -DVARNHOLD_WERROR=ON
endif

XVFB = xvfb-run -a -s "-screen 0 1280x720x24"

.PHONY: all deps configure build run test test-asan fuzz-smoke clean

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

# Every test, under one virtual X display; sound goes to OpenAL Soft's null driver.
test: build
	cd $(BUILD) && ALSOFT_DRIVERS=null $(XVFB) ctest --output-on-failure -j$(JOBS) $(CTEST_ARGS)

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of
# its own. Any report fails the test that made it; leaks inside the X and GL libraries that the
# display tests load are not ours and are suppressed (tests/harden/lsan.supp).
ASAN_BUILD ?= build-asan
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/harden/lsan.supp:print_suppressions=0

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVARNHOLD_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ALSOFT_DRIVERS=null $(SANITIZER_ENV) $(XVFB) ctest --output-on-failure -j$(JOBS) $(CTEST_ARGS)

# A short run of each libFuzzer target from its committed seeds, so that a regression shows.
FUZZ_SECONDS ?= 30
fuzz-smoke: deps
	./fuzz/build.sh
	./fuzz/smoke.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)
