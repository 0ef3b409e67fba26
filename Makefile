# make build   build/x86/drvplant.exe and build/x64/drvplant.exe, the shipped programs
# make test    everything: unit tests (plain and sanitized), a short fuzz run, both exes'
#              shape, resources and behaviour under Wine, the README's batch-file and
#              NSIS recipes, the release archive, and a benchmark too small to measure
# make demo    both jobs of the program in a throwaway Wine prefix
# make dist    build/dist/drvplant-<version>.zip
# make fuzz    fuzz whole runs for FUZZ_SECONDS (default 60) with sanitizers; report coverage
# make bench   time drvplant.exe against a reference program under Wine with BENCH_DEVICES
#              present devices (default 500), BENCH_PAIRS alternating pairs (default 5)
# Each installs what is missing on Debian 12 first.

X86 = build/x86
X64 = build/x64
HOST = build/host
SANITIZED = build/host-sanitize
DIST = build/dist
FUZZ = build/fuzz
FUZZ_SECONDS ?= 60
BENCH_DEVICES ?= 500
BENCH_PAIRS ?= 5

.PHONY: deps build unit fuzz bench test demo dist clean

deps:
	@tools/install-deps.sh

build: deps
	cmake -S . -B $(X86) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
	cmake --build $(X86) -j2
	cmake -S . -B $(X64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
	cmake --build $(X64) -j2

unit: deps
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(HOST) -j2
	cmake -S . -B $(SANITIZED) -DCMAKE_BUILD_TYPE=Debug -DDRVPLANT_SANITIZE=ON
	cmake --build $(SANITIZED) -j2
	cd $(HOST) && ctest --output-on-failure
	cd $(SANITIZED) && ctest --output-on-failure

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=Debug -DDRVPLANT_FUZZ=ON
	cmake --build $(FUZZ) -j2
	tests/fuzz/run.sh $(FUZZ) $(FUZZ_SECONDS)

bench: build
	tests/bench/run.sh $(X86) $(BENCH_DEVICES) $(BENCH_PAIRS)

test: unit build dist
	$(MAKE) fuzz FUZZ_SECONDS=20
	tests/wine/exe_shape.sh $(X86) pei-i386
	tests/wine/exe_shape.sh $(X64) pei-x86-64
	tests/wine/run.sh $(X86)
	tests/wine/run.sh $(X64)
	tests/wine/recipes.sh $(X86) $(X64)
	tests/bench/run.sh $(X86) 4 1 # keeps the benchmark working; make bench measures

demo: build
	examples/demo.sh $(X86)

dist: build
	cmake -S . -B $(DIST) -DDRVPLANT_DIST=ON
	rm -f $(DIST)/drvplant-*.zip
	cd $(DIST) && cpack -B .
	tools/check-dist.sh $(DIST)/drvplant-*.zip build

clean:
	rm -rf build
