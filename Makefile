# Entry points for people and CI. `make run` builds a release binary and checks this repository's
# docs; `make test` builds with sanitizers and runs every test suite.
BUILD_DIR ?= build/release
TEST_BUILD_DIR ?= build/sanitize
JOBS ?= $(shell nproc)
ARGS ?= check

.PHONY: deps build run test bench clean format

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVIK_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/tovik $(ARGS)

test: deps
	@cmake -S . -B $(TEST_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOVIK_SANITIZE=ON -DTOVIK_BUILD_TESTS=ON >/dev/null
	@cmake --build $(TEST_BUILD_DIR) -j $(JOBS)
	cd $(TEST_BUILD_DIR) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

bench:
	@scripts/install-deps --bench
	@cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVIK_BUILD_TESTS=OFF -DTOVIK_BUILD_BENCH=ON >/dev/null
	@cmake --build build/bench -j $(JOBS)

format:
	@find src tests bench fuzz -name '*.cpp' -o -name '*.hpp' | xargs clang-format -i

clean:
	rm -rf build
