# Set-up, build and test in one step each. CMake and CTest do the work underneath.
PRESET ?= release
JOBS ?= $(shell nproc)
BIN = build/$(PRESET)/bin

.PHONY: all deps configure build run test bench asan tsan format clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

# The program alone and what it loads (the framework and the settings library), not the tests.
run: configure
	@cmake --build --preset $(PRESET) -j $(JOBS) --target SkyletPresetEditor
	$(BIN)/SkyletPresetEditor

test: build
	@ctest --preset $(PRESET) -j $(JOBS)

asan:
	@$(MAKE) --no-print-directory test PRESET=asan

tsan:
	@$(MAKE) --no-print-directory test PRESET=tsan

bench:
	@$(MAKE) --no-print-directory build PRESET=release
	build/release/bin/SkyletBench
	@if command -v Xvfb > /dev/null; then \
		bench/startup/startup-under-xvfb.sh $(CURDIR)/build/release/bin/SkyletPresetEditor \
			$(CURDIR)/build/release/bin/BareCairoWindow $(CURDIR)/build/release/bin/WaitForPaintedWindow; \
		bench/idle/idle-under-xvfb.sh $(CURDIR)/build/release/bin/SkyletPresetEditor \
			$(CURDIR)/build/release/bin/WaitForPaintedWindow 10; fi

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf build
