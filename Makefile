# The two commands of the README: `make demo` and `make test`.
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
CTEST = ctest --output-on-failure -j $(JOBS)

.PHONY: all bootstrap linux linux-asan linux-release mingw32 mingw64 test test-linux test-asan demo clean

all: linux

bootstrap:
	@./scripts/bootstrap

build/%/CMakeCache.txt:
	cmake --preset $* >/dev/null

linux linux-asan linux-release mingw32 mingw64: %: bootstrap build/%/CMakeCache.txt
	cmake --build build/$* -j $(JOBS)

# The sample store on 127.0.0.1, the sample dictionaries and codes, looked up by mardel.
demo: bootstrap build/linux/CMakeCache.txt
	cmake --build build/linux --target mardel -j $(JOBS)
	build/linux/host/mardel demo

test-linux: linux
	cd build/linux && $(CTEST)

test-asan: linux-asan
	cd build/linux-asan && ASAN_OPTIONS=detect_leaks=1 $(CTEST)

test: test-linux test-asan mingw32 mingw64

clean:
	rm -rf build
