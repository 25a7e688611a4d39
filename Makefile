# Front door for newcomers: `make run` plays, `make test` checks everything.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: run test game build configure deps deps-test asan fuzz bench assets dist clean windows web linux release

run: deps game
	$(BUILD)/bin/Kestravel_Main

configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

# Just what a player needs: the game and its launcher.
game: configure
	cmake --build $(BUILD) -j $(JOBS) --target Kestravel_Main kestravel

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: deps-test build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --no-tests=error

deps:
	tools/install-deps.sh run

deps-test:
	tools/install-deps.sh test

# The whole suite under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer.
# SDL draws in software here: Mesa's GL drivers leak on unload, out of reach of suppressions.
asan: deps-test
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRAVEL_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0 \
		ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) --no-tests=error $(ASAN_CTEST_FLAGS)

# Each libFuzzer target for FUZZ_SECONDS (needs clang).
FUZZ_SECONDS ?= 60
fuzz:
	tools/install-deps.sh dev
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRAVEL_FUZZ=ON -DKESTRAVEL_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS)
	tools/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS)

bench:
	tools/install-deps.sh dev
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKESTRAVEL_BENCH=ON -DKESTRAVEL_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	tools/run-benchmarks.sh build-bench

# Regenerates every picture, sound, the font and the music into data/.
assets: deps-test build
	$(BUILD)/bin/kestravel-assetgen data

clean:
	rm -rf $(BUILD) build-asan build-fuzz build-bench dist

# A folder and tarball that run wherever they are unpacked: cd Kestravel && ./kestravel.
# The Linux download itself, not a second tarball of the same name that needs SDL installed.
dist: linux

# The Windows zip, cross-built here: dist/Kestravel-windows-x86_64.zip. The SDL libraries are
# built from Debian's sources once and kept in build-windows/.
windows:
	JOBS=$(JOBS) tools/windows/build.sh build-windows dist

# The page for browsers: dist/Kestravel-web/ and dist/Kestravel-web.zip, index.html at its root.
# Built with Debian's emscripten; the SDL libraries from Debian's sources are kept in build-web/.
web:
	JOBS=$(JOBS) tools/web/build.sh build-web dist

# The Linux download: dist/Kestravel-linux-x86_64.tar.gz, SDL in the folder. The SDL libraries
# are built from Debian's sources once and kept in build-linux/.
linux:
	JOBS=$(JOBS) tools/linux/build.sh build-linux dist

# Every platform's download named with the version, and SHA256SUMS, in dist/.
release:
	tools/release.sh dist
