# Front door of the build. Every target first installs whatever Debian packages are missing.
JOBS ?= $(shell nproc)
BUILD_DIR ?= build
TEST_DIR ?= build-test
BENCH_DIR ?= build-bench
# make install PREFIX=/usr DESTDIR=/tmp/stage
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps build play test bench fuzz install package clean

all: build

deps:
	@bash tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARN_TESTS=OFF
	cmake --build $(BUILD_DIR) -j $(JOBS) --target zarn

play: build
	./$(BUILD_DIR)/zarn

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# The Debian package of the release build, written into $(BUILD_DIR).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DZARN_SANITIZE=ON -DZARN_TESTS=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DZARN_TESTS=OFF -DZARN_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@set -e; cd $(BENCH_DIR) && \
	loop='set -e; for b in bench/*_bench; do echo "== $$b"; ./$$b; done'; \
	if [ -z "$$DISPLAY" ]; then xvfb-run -a -s "-screen 0 1280x1024x24" sh -c "$$loop"; else sh -c "$$loop"; fi

fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
		-DZARN_FUZZ=ON -DZARN_SANITIZE=ON -DZARN_TOOLS=OFF
	cmake --build build-fuzz -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(TEST_DIR) $(BENCH_DIR) build-fuzz
