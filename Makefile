# Front door of the build. `make` builds Release into build/ (executables in build/bin/),
# `make test` builds with AddressSanitizer + UndefinedBehaviorSanitizer into build-asan/ and runs
# every test, `make demo` shows the tool talking to the stand-in controller.

JOBS ?= 2
CMAKE_GEN := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all build test demo bench deps clean

all: build

deps:
	@scripts/deps.sh

build: deps
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQVX_BUILD_TESTS=OFF
	cmake --build build -j $(JOBS)

test: deps
	cmake -S . -B build-asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQVX_SANITIZE=ON -DQVX_BUILD_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS) --timeout 300

demo: build
	scripts/demo.sh build/bin

bench: deps
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQVX_BUILD_TESTS=OFF
	cmake --build build -j $(JOBS)
	build/bin/bench_link

clean:
	rm -rf build build-asan
