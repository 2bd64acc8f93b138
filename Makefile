# Front door of the build. Every target first installs whatever Debian packages are missing.
JOBS ?= $(shell nproc)
BUILD_DIR ?= build
TEST_DIR ?= build-test
BENCH_DIR ?= build-bench
TSAN_DIR ?= build-tsan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=

# make install PREFIX=/usr DESTDIR=/tmp/stage
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps build play test test-tsan bench fuzz fuzz-run install package clean

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

# intercept_tls_get_addr=0: gcc 12's sanitizer runtime can record a garbage extent
# for the dynamic TLS block glibc allocates with malloc for Mesa's driver ("glibc
# >=2.19 suspected" in its verbose log); the leak check at exit then crashes
# reading it ("Tracer caught signal 11"), or not, depending on the heap layout.
test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DZARN_SANITIZE=ON -DZARN_TESTS=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DZARN_TESTS=OFF -DZARN_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@set -e; cd $(BENCH_DIR) && \
	loop='set -e; for b in bench/*_bench; do echo "== $$b"; ./$$b; done'; \
	if [ -z "$$DISPLAY" ]; then xvfb-run -a -s "-screen 0 1280x1024x24" sh -c "$$loop"; else sh -c "$$loop"; fi

# The audio, sound, mixer, timer and input suites under ThreadSanitizer.
test-tsan: deps
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DZARN_TSAN=ON -DZARN_TESTS=ON -DZARN_TOOLS=OFF
	cmake --build $(TSAN_DIR) -j $(JOBS)
	cd $(TSAN_DIR) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
		ctest --output-on-failure -j $(JOBS)

# The libFuzzer programs and the instrumented libraries they need, nothing else.
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
		-DZARN_FUZZ=ON -DZARN_SANITIZE=ON -DZARN_TESTS=OFF -DZARN_TOOLS=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_targets

# Every fuzz target (or those in FUZZ_TARGETS) for FUZZ_SECONDS each, in turn.
fuzz-run: fuzz
	bash tests/fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD_DIR) $(TEST_DIR) $(BENCH_DIR) $(TSAN_DIR) $(FUZZ_DIR)
