# make build   build/x86/drvplant.exe, the shipped program
# make test    everything: unit tests (plain and sanitized), the exe's shape, the Wine suite
# make demo    both jobs of the program in a throwaway Wine prefix
# Each installs what is missing on Debian 12 first.

CROSS = build/x86
HOST = build/host
SANITIZED = build/host-sanitize

.PHONY: deps build unit test demo clean

deps:
	@tools/install-deps.sh

build: deps
	cmake -S . -B $(CROSS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
	cmake --build $(CROSS) -j2

unit: deps
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(HOST) -j2
	cmake -S . -B $(SANITIZED) -DCMAKE_BUILD_TYPE=Debug -DDRVPLANT_SANITIZE=ON
	cmake --build $(SANITIZED) -j2
	cd $(HOST) && ctest --output-on-failure
	cd $(SANITIZED) && ctest --output-on-failure

test: unit build
	tests/wine/exe_shape.sh $(CROSS)
	tests/wine/run.sh $(CROSS)

demo: build
	examples/demo.sh $(CROSS)

clean:
	rm -rf build
