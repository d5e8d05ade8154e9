# The two commands of the README: `make demo` and `make test`.
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
CTEST = ctest --output-on-failure -j $(JOBS)

.PHONY: all bootstrap linux linux-asan linux-release mingw32 mingw64 test test-linux test-asan test-wine demo dist clean \
        test-valgrind test-fuzz fuzz bench

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

# The Windows build under Wine, compared with the Linux build; the product DLL's exports.
test-wine: linux mingw32 mingw64
	python3 tests/windows/check_exports.py build/mingw32/host/tarvo.dll
	cd build/mingw64 && $(CTEST) -L wine

# The end-to-end batch once under valgrind memcheck (two batches in one process).
test-valgrind: linux
	./scripts/valgrind-batch build/linux

# Every fuzz target for 20 seconds (clang, AddressSanitizer + UBSan; builds build/fuzz).
test-fuzz: bootstrap
	./scripts/fuzz 20

# Every fuzz target for 10 minutes or 5 million executions, one after the other.
fuzz: bootstrap
	./scripts/fuzz 600 5000000

test: test-linux test-asan test-valgrind
	@$(MAKE) test-wine
	@if [ "$$CI" = true ]; then $(MAKE) test-fuzz; fi

# The product for Windows users: tarvo.dll, a sample tarvo.ini and the install text.
VERSION := $(shell grep -m1 -o 'tarvo VERSION [0-9.]*' CMakeLists.txt | cut -d' ' -f3)
dist: mingw32
	python3 tests/windows/check_exports.py build/mingw32/host/tarvo.dll
	rm -rf build/dist && mkdir -p build/dist/tarvo
	cp build/mingw32/host/tarvo.dll build/dist/tarvo/
	sed 's/$$/\r/' tarvo.ini.sample >build/dist/tarvo/tarvo.ini
	sed 's/$$/\r/' packaging/INSTALL.txt >build/dist/tarvo/INSTALL.txt
	cd build/dist && zip -q -X -r tarvo-$(VERSION)-win32.zip tarvo
	@echo build/dist/tarvo-$(VERSION)-win32.zip

# The benchmarks of BENCHMARKS.md, on the release build. Several minutes; they time, never judge.
BENCHES = page_bench dictionaries_bench batch_bench
bench: linux-release
	@for b in $(BENCHES); do echo "== $$b"; build/linux-release/bench/$$b --benchmark_color=false || exit 1; done

clean:
	rm -rf build
