# The two set-up commands of the README: `make run` and `make test`.
BUILD ?= build
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=Release

.PHONY: deps configure build run test bench clean

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

run: build
	bash scripts/run-program $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -LE exhaustive-long -j 2

bench: build
	bash scripts/run-benchmarks $(BUILD)

clean:
	rm -rf $(BUILD)
