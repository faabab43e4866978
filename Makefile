# Entry points; see README.md. Every target installs what is missing first.
BUILD_DIR          := build
SANITIZE_BUILD_DIR := build-sanitize
JOBS               ?= 2

CMAKE_CONFIGURE = cmake -S . -B
CTEST = scripts/with-display.sh ctest --output-on-failure -j $(JOBS) --test-dir

.PHONY: all bootstrap build build-sanitize run test test-sanitize bench clean

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

run: build
	@echo "plateforme: the game is not written yet; there is nothing to run." >&2
	@exit 1

test: build
	$(CTEST) $(BUILD_DIR)

test-sanitize: build-sanitize
	ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  $(CTEST) $(SANITIZE_BUILD_DIR)

bench: build
	scripts/with-display.sh sh -c 'for b in $(BUILD_DIR)/bench/*_bench; do echo "== $$b"; $$b || exit 1; done'

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_BUILD_DIR)
