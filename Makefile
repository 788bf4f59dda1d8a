# The README's contract: `make demo`, `make test`, `make bench`.
BUILD     ?= build
BUILDTYPE ?= RelWithDebInfo
JOBS      ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build test demo bench format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILDTYPE) -DQVM_WERROR=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

demo: build
	@scripts/run-demo $(BUILD)

bench: build
	@scripts/run-bench $(BUILD)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
