# Front door of the build. `make` builds Release into build/ (executables in build/bin/),
# `make test` builds with AddressSanitizer + UndefinedBehaviorSanitizer into build-asan/ and runs
# every test, `make demo` shows the tool talking to the stand-in controller.

JOBS ?= 2
CMAKE_GEN := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all build test demo bench soak fuzz install deps clean host-tools windows windows-package test-windows screenshots \
        screenshots-windows package test-package test-tsan

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

# The README's pictures of the window (docs/screenshots/), drawn on the offscreen platform against
# the stand-in controller. The drawing program sits with the window tests, so this configures
# build/ with them.
screenshots: deps
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQVX_BUILD_TESTS=ON
	cmake --build build -j $(JOBS) --target qvx_window_screenshots qvx_wizard_screenshots
	QT_QPA_PLATFORM=offscreen build/bin/qvx_window_screenshots docs/screenshots
	QT_QPA_PLATFORM=offscreen build/bin/qvx_wizard_screenshots docs/screenshots

demo: build
	scripts/demo.sh build/bin

bench:
	@scripts/deps.sh --bench
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQVX_BUILD_TESTS=OFF
	cmake --build build -j $(JOBS)
	build/bin/bench_link
	build/bin/bench_transfer
	build/bin/bench_firmware
	build/bin/bench_stream
	build/bin/bench_job
	build/bin/bench_xml

# The firmware fault soak at length: SOAK_RUNS seeded installs against controllers that corrupt,
# drop and garble replies and restart early (`make test` runs a few).
SOAK_RUNS ?= 100
soak: deps
	cmake -S . -B build-asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQVX_SANITIZE=ON -DQVX_BUILD_BENCH=OFF
	cmake --build build-asan -j $(JOBS) --target test_firmware_soak
	QVX_SOAK_RUNS=$(SOAK_RUNS) build-asan/bin/test_firmware_soak

# libFuzzer targets, built with clang (ASan + UBSan) into build-fuzz/; each runs FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/deps.sh --fuzz
	cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQVX_SANITIZE=ON -DQVX_FUZZ=ON -DQVX_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
	cmake --build build-fuzz -j $(JOBS) --target qvx_fuzzers
	tests/fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# The protocol library for other programs (library, headers, CMake package: find_package(S22Network),
# pkg-config file), the tool, the stand-in controller, qvx-zlb, the manual page and the README.
# build/ is configured for PREFIX first: the library's folder under it depends on the prefix
# (lib/, or lib/<multiarch> for /usr on Debian).
PREFIX ?= /usr/local
install: build
	cmake -S . -B build -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --install build

# The Debian package, build/qvxfirminstaller_<version>_<arch>.deb: the Release build of `make build`
# installed under /usr (the library in /usr/lib/<multiarch>), its Depends found by dpkg-shlibdeps.
package: deps
	@scripts/deps.sh --package
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQVX_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build build -j $(JOBS)
	rm -f build/qvxfirminstaller_*.deb
	cd build && cpack -G DEB >cpack.log 2>&1 || { cat cpack.log; exit 1; }
	@ls "$(CURDIR)"/build/qvxfirminstaller_*.deb

# The package unpacked (dpkg-deb -x, nothing installed into the system) into a scratch folder: its
# control fields, files and permissions, and the unpacked tool's job against the stand-in controller.
# The jobs that work several COM ports at once, under ThreadSanitizer (build-tsan/): the job and
# the plan against stand-in controllers, and the real program's parallel job with a SIGTERM.
test-tsan: deps
	cmake -S . -B build-tsan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQVX_TSAN=ON -DQVX_BUILD_BENCH=OFF
	cmake --build build-tsan -j $(JOBS) --target test_parallel_job test_job_command qvxfirminstaller qvx-signsim
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	  ctest --output-on-failure -j $(JOBS) --timeout 300 -R 'ParallelJob\.|JobCommand\..*Parallel'

test-package: package
	scripts/package-test.sh $$(ls build/qvxfirminstaller_*.deb)

# The Windows build, cross-compiled with mingw-w64 into build-win/ (tool, protocol library, tests).
# qvx-mkfirm and qvx-zlb run during the build, so they are built for this machine first.
host-tools: deps
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQVX_BUILD_TESTS=OFF
	cmake --build build -j $(JOBS) --target qvx-zlb qvx-mkfirm
	mkdir -p build/tools && cp build/bin/qvx-zlb build/res/firmware/qvx-mkfirm build/tools/

windows: host-tools
	@scripts/deps.sh --windows
	cmake -S . -B build-win $(CMAKE_GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DQVX_HOST_TOOLS_DIR=$(CURDIR)/build/tools
	cmake --build build-win -j $(JOBS)

# A zip for Windows machines: the tool, the library with its import library, headers and CMake
# package, the README and the licence texts of what is bundled.
windows-package: windows
	scripts/windows-package.sh build-win build-win/package

# The Windows programs under Wine, against the stand-in controller through Wine's COM ports, the
# window's on an Xvfb display. The stand-in controller and the Linux tool to compare with come
# from `make test`'s build when it is there (as in CI), else from build/.
test-windows: windows
	@scripts/deps.sh --wine
	@if [ -x build-asan/bin/qvx-signsim ] && [ -x build-asan/bin/qvxfirminstaller ]; then \
	  scripts/wine-tests.sh build-win build-asan/bin; \
	else \
	  cmake --build build -j $(JOBS) --target qvx-signsim qvxfirminstaller && scripts/wine-tests.sh build-win build/bin; \
	fi

# The Windows window's pictures (docs/screenshots/windows/), drawn under Wine on an Xvfb display
# against the stand-in controller.
screenshots-windows: windows
	@scripts/deps.sh --wine
	cmake --build build -j $(JOBS) --target qvx-signsim
	scripts/wine-tests.sh build-win build/bin --screenshots docs/screenshots/windows

clean:
	rm -rf build build-asan build-fuzz build-win
