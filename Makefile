# The README's contract: `make demo`, `make test`, `make bench`, `make windows`, `make package`.
BUILD     ?= build
WINBUILD  ?= build-windows
BUILDTYPE ?= RelWithDebInfo
JOBS      ?= $(shell nproc)
CMAKE_FLAGS ?=
# Rebuilds of several checkouts share one compiler cache when ccache is there.
LAUNCHER := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps configure build test test-linux test-windows windows package install demo bench \
	fuzz stress format clean

FUZZ_SECONDS ?= 60
STRESS_RUNS ?= 10000

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILDTYPE) -DQVM_WERROR=ON $(LAUNCHER) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Every test: Linux first, then the Windows programs under Wine.
test: test-linux test-windows

test-linux: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-windows: deps
	@JOBS=$(JOBS) LINUX_BUILD=$(BUILD) scripts/windows $(WINBUILD) test

# The zip users download: dist/qvm-image-wizard-<version>-win64.zip.
windows: deps
	@JOBS=$(JOBS) scripts/windows $(WINBUILD) zip

# The Debian package users install: dist/qvm-image-wizard_<version>_<arch>.deb.
package: build
	@cd $(BUILD) && cpack -G DEB

# The programs, desktop entry, icons, metainfo and manual pages under $(DESTDIR)$(PREFIX).
PREFIX ?= /usr/local
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

demo: build
	@scripts/run-demo $(BUILD)

bench: build
	@scripts/run-bench $(BUILD)

# Long libFuzzer runs (clang, ASan, UBSan); crashes land in tests/fuzz/crashes/ and are replayed
# by `make test` from then on.
fuzz: deps
	@cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DQVM_FUZZ=ON >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS)
	@scripts/run-fuzz $(BUILD)-fuzz $(FUZZ_SECONDS)

# Long variants of the crash tests.
stress: build
	@cd $(BUILD) && QVM_STRESS_RUNS=$(STRESS_RUNS) ./tests/qvm-unit-tests --gtest_filter='CrashSafety.*'

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(WINBUILD) dist
