# The two commands that matter: `make run` and `make test`. Both install what is missing first.
FUZZ_SECONDS ?= 30
DEMO_DIR := build/demo

.PHONY: all deps build build-test run test bench fuzz clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default

build-test: deps
	cmake --preset test >/dev/null
	cmake --build --preset test

run: build
	@mkdir -p $(DEMO_DIR)
	build/bin/klt-demo $(DEMO_DIR)/demo.klt
	build/bin/klt info $(DEMO_DIR)/demo.klt

test: build-test
	ctest --preset test
	scripts/run-fuzz build-test $(FUZZ_SECONDS)

bench: build
	build/bin/klt-bench

fuzz: build-test
	scripts/run-fuzz build-test $(FUZZ_SECONDS)

clean:
	rm -rf build build-test
