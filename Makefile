# The two commands that matter: `make run` and `make test`. Both install what is missing first.
FUZZ_SECONDS ?= 30
DEMO_DIR := build/demo

.PHONY: all deps build build-test build-tsan run test bench fuzz clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default

build-test: deps
	cmake --preset test >/dev/null
	cmake --build --preset test

# The tests of head-unit work on threads of their own, under ThreadSanitizer.
build-tsan: deps
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan

# The window program on a demonstration database of its own (build/demo, with its own KLTWIN.CFG)
# and a simulated generation 7 head unit on USB; without a display the same database is shown with
# the command-line tool.
run: build
	@mkdir -p $(DEMO_DIR)
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
		build/bin/kltwin --demo $(DEMO_DIR) --simulate; \
	else \
		echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): showing the demonstration database with klt."; \
		build/bin/klt-demo --database $(DEMO_DIR)/_DATA.KLT && \
		export KLT_CONFIG=$(DEMO_DIR)/KLTWIN.CFG KLT_DATABASE=$(DEMO_DIR)/_DATA.KLT && \
		build/bin/klt db list && \
		build/bin/klt info "$$(find $(DEMO_DIR)/_DATA.KLT -iname '*.klt' -type f | sort | tail -n 1)"; \
	fi

test: build-test build-tsan
	ctest --preset test
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 build-tsan/bin/klt_thread_tests
	scripts/run-fuzz build-test $(FUZZ_SECONDS)

# The full-memory download runs at the real line rate for about two minutes and is left out;
# `make bench BENCH_FILTER=.` runs every benchmark, `BENCH_FILTER=Download` only the downloads.
BENCH_FILTER ?= -DownloadFullMemory
bench: build
	build/bin/klt-bench --benchmark_filter='$(BENCH_FILTER)'

fuzz: build-test
	scripts/run-fuzz build-test $(FUZZ_SECONDS)

clean:
	rm -rf build build-test build-tsan
