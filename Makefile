# Entry points; see README.md. Every target installs what is missing first.
BUILD_DIR          := build
SANITIZE_BUILD_DIR := build-sanitize
COVERAGE_BUILD_DIR := build-coverage
WEB_BUILD_DIR      := build-web
JOBS               ?= 2
# Debian's emcc needs node-acorn from here.
EMSCRIPTEN_ENV     = NODE_PATH=/usr/share/nodejs

CMAKE_CONFIGURE = cmake -S . -B
CTEST = scripts/with-display.sh ctest --output-on-failure -j $(JOBS) --test-dir

.PHONY: all bootstrap build build-sanitize build-coverage build-fuzz run test-share test test-sanitize coverage bench fuzz soak web test-web clean

all: build

bootstrap:
	@scripts/bootstrap.sh

build: bootstrap
	$(CMAKE_CONFIGURE) $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

build-sanitize: bootstrap
	$(CMAKE_CONFIGURE) $(SANITIZE_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DZEL_SANITIZE=ON -DZEL_BENCH=OFF
	cmake --build $(SANITIZE_BUILD_DIR) -j $(JOBS)

build-coverage: bootstrap
	$(CMAKE_CONFIGURE) $(COVERAGE_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g" -DZEL_COVERAGE=ON -DZEL_BENCH=OFF
	cmake --build $(COVERAGE_BUILD_DIR) -j $(JOBS)

# Plays in a window, or without a display a scripted session under Xvfb
# whose screenshots go to $(BUILD_DIR)/screenshots.
run: build
	@scripts/run-demo.sh $(BUILD_DIR)

# Tests stay a quarter to a third of the code: checked before anything builds.
test-share:
	@scripts/test-share.sh

test: test-share build
	$(CTEST) $(BUILD_DIR)

test-sanitize: build-sanitize
	ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  $(CTEST) $(SANITIZE_BUILD_DIR)

# Line and branch coverage of the code by the whole suite, per folder.
coverage: build-coverage
	find $(COVERAGE_BUILD_DIR) -name '*.gcda' -delete
	$(CTEST) $(COVERAGE_BUILD_DIR)
	gcovr --root . --object-directory $(COVERAGE_BUILD_DIR) --exclude 'tests/' --exclude 'bench/' \
	  --gcov-ignore-parse-errors --json $(COVERAGE_BUILD_DIR)/coverage.json
	scripts/coverage.py $(COVERAGE_BUILD_DIR)/coverage.json $(COVERAGE_BUILD_DIR)/error-paths.txt

# libFuzzer on every reader, FUZZ_SECONDS each (default 60); clang's build.
FUZZ_BUILD_DIR := build-fuzz
build-fuzz: bootstrap
	CC=clang CXX=clang++ $(CMAKE_CONFIGURE) $(FUZZ_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZEL_FUZZ=ON -DZEL_BENCH=OFF
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target fuzz_tle fuzz_map fuzz_spr fuzz_gif fuzz_lzw \
	  fuzz_dat fuzz_wav fuzz_tmx fuzz_png fuzz_info fuzz_stream

fuzz: build-fuzz
	scripts/fuzz.sh $(FUZZ_BUILD_DIR)

# The demo as a web page (Emscripten) in build-web/, its data from the native build.
web: build
	@scripts/bootstrap.sh web
	$(EMSCRIPTEN_ENV) emcmake $(CMAKE_CONFIGURE) $(WEB_BUILD_DIR) -DCMAKE_BUILD_TYPE=Release \
	  -DZEL_WEB_DATA=$(CURDIR)/$(BUILD_DIR)/data
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_BUILD_DIR) -j $(JOBS)

# The web build played in Debian's Chromium through playwright-core.
test-web: web
	@scripts/bootstrap.sh web-test
	scripts/test-web.sh $(WEB_BUILD_DIR)

# The game and the network layer for SOAK_MINUTES (default 10).
soak: build
	scripts/soak.sh $(BUILD_DIR)

# Every benchmark, then one table of each figure beside its baseline.
bench: build
	rm -f $(BUILD_DIR)/bench/report.tsv
	ZEL_BENCH_REPORT=$(CURDIR)/$(BUILD_DIR)/bench/report.tsv scripts/with-display.sh \
	  sh -c 'for b in $(BUILD_DIR)/bench/*_bench; do echo "== $$b"; $$b || exit 1; done'
	scripts/bench-table.sh $(BUILD_DIR)/bench/report.tsv

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_BUILD_DIR) $(COVERAGE_BUILD_DIR) $(FUZZ_BUILD_DIR)
