# make            build/{x86,x64,arm64}/drvplant.exe, drvremove.exe and drvcreate.exe (installs nothing)
# make deps       install what building and testing need on Debian 12 (as root): Debian's
#                 packages, and Inno Setup's compiler from npm as package-lock.json pins it
# make demo       deps, then both jobs of drvplant and a removal in a throwaway Wine prefix
# make test       deps, then every suite below but bench
# make unit       unit tests, plain and sanitized
# make wine       one arch's exes under Wine: ARCH=x86, x64 or arm64 (under an arm64 Debian
#                 root with qemu, made the first time); Debian 12's Wine 8, or with WINE=10
#                 Debian 13's Wine 10 (x86 and x64, in a Debian 13 root made the first time)
#                 Both take CASE=absent: only the cases whose name contains it.
# make recipes    both halves of the recipes of docs/recipes.md whose tools run here (the batch
#                 file, NSIS, Inno Setup, the MSI) under Wine, with and without the device
# make release    the exes' format, imports, hardening and size; the release archive, rebuilt
#                 bit for bit from two clones, and signed with a throwaway certificate
# make fuzz       fuzz whole runs for FUZZ_SECONDS (60), then report coverage
# make bench      drvplant against a reference under Wine: BENCH_DEVICES (500), BENCH_PAIRS (5)
# make dist       build/dist/drvplant-<version>.zip, signed when given a key (tools/sign.sh)
# make verify     FILE=drvplant.exe (drvremove.exe, drvcreate.exe): is it, signature aside, this checkout's build?
# make clean
# Building and installing say one line each; their logs are kept in build/logs.

ARCH ?= x86
WINE ?= 8
CASE ?=
FUZZ_SECONDS ?= 60
BENCH_DEVICES ?= 500
BENCH_PAIRS ?= 5
STEP = @tools/step.sh
LOGS = build/logs

.PHONY: build deps demo test unit wine recipes release fuzz bench dist verify clean

build:
	$(STEP) "Building the x86 exes" $(LOGS)/x86.log tools/build.sh x86 exes
	$(STEP) "Building the x64 exes" $(LOGS)/x64.log tools/build.sh x64 exes
	$(STEP) "Building the arm64 exes" $(LOGS)/arm64.log tools/build.sh arm64 exes

deps:
	$(STEP) "Installing what is missing" $(LOGS)/deps.log tools/install-deps.sh

demo: deps
	$(STEP) "Building the x86 exe and the demo's device tool" $(LOGS)/x86.log tools/build.sh x86
	@examples/demo.sh build/x86

test: deps
	@$(MAKE) --no-print-directory unit
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=20
	@$(MAKE) --no-print-directory wine ARCH=x86
	@$(MAKE) --no-print-directory wine ARCH=x64
	@$(MAKE) --no-print-directory wine ARCH=arm64
	@$(MAKE) --no-print-directory wine ARCH=x86 WINE=10
	@$(MAKE) --no-print-directory wine ARCH=x64 WINE=10
	@$(MAKE) --no-print-directory recipes
	@$(MAKE) --no-print-directory release

unit:
	$(STEP) "Building the unit tests" $(LOGS)/host.log tools/build.sh host
	$(STEP) "Building the sanitized unit tests" $(LOGS)/host-sanitize.log tools/build.sh host-sanitize
	build/host/tests/unit/unit_tests --gtest_brief=1 $(if $(CASE),--gtest_filter='*$(CASE)*')
	build/host-sanitize/tests/unit/unit_tests --gtest_brief=1 $(if $(CASE),--gtest_filter='*$(CASE)*')

wine:
	$(STEP) "Building the $(ARCH) exe and its Wine tests" $(LOGS)/$(ARCH).log tools/build.sh $(ARCH)
	$(if $(filter x86,$(ARCH)),$(STEP) "Building the x64 exes for the handoff" $(LOGS)/x64.log tools/build.sh x64 handoff)
	$(if $(filter arm64,$(ARCH)),$(STEP) "Making the arm64 Debian root with Wine (the first time only)" $(LOGS)/arm64-root.log tools/wine-root.sh arm64)
	$(if $(filter 10,$(WINE)),$(STEP) "Making the Debian 13 root with Wine 10 (the first time only)" $(LOGS)/wine10-root.log tools/wine-root.sh wine10)
	tests/wine/run.sh --wine $(WINE) build/$(ARCH) '$(CASE)'

recipes: build
	$(STEP) "Building the x64 Wine tests" $(LOGS)/x64.log tools/build.sh x64
	tests/wine/recipes.sh build/x86 build/x64 build/arm64

release: dist
	tests/release/exe_shape.sh build/x86 I386
	tests/release/exe_shape.sh build/x64 AMD64
	tests/release/exe_shape.sh build/arm64 ARM64
	tests/release/check_dist.sh build/dist/drvplant-*.zip build
	tests/release/reproducible.sh build
	tests/release/signing.sh build

fuzz:
	$(STEP) "Building the fuzz target" $(LOGS)/fuzz.log tools/build.sh fuzz
	tests/fuzz/run.sh build/fuzz $(FUZZ_SECONDS)

bench:
	$(STEP) "Building the x86 exe and the benchmark" $(LOGS)/x86.log tools/build.sh x86
	bench/run.sh build/x86 $(BENCH_DEVICES) $(BENCH_PAIRS)

dist: build
	@tools/dist.sh build build/dist

# Only the verdict is printed; building what is compared with goes to the logs.
verify:
	@mkdir -p $(LOGS) && for arch in x86 x64 arm64; do \
	    tools/build.sh $$arch exes >$(LOGS)/$$arch.log 2>&1 || { tail -20 $(LOGS)/$$arch.log; exit 1; }; \
	done
	@tools/verify.sh "$(FILE)" build

clean:
	rm -rf build
