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

.PHONY: all deps configure build run test clean

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

clean:
	rm -rf $(BUILD)
