# The two commands that matter: `make run` and `make test`. Both install what is missing.
BUILD ?= build
FUZZ_BUILD ?= build-fuzz
TSAN_BUILD ?= build-tsan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
PREFIX ?= /usr/local

.PHONY: deps configure build run test fuzz tsan tsan-build tsan-run bench format clean install deb

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DVYN_WERROR=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$${DISPLAY:-}" ] && [ -z "$${WAYLAND_DISPLAY:-}" ]; then \
	  echo "No display found. Run the player under a virtual X server instead:"; \
	  echo "  xvfb-run -a $(BUILD)/bin/vyn-player"; \
	  exit 1; \
	fi
	@$(BUILD)/bin/vyn-player

# Unit, widget and end-to-end tests against a private PulseAudio daemon, the fuzz targets
# (clang, ASan + UBSan) for a bounded time each, then the engine's tests under
# ThreadSanitizer.
test: build fuzz tsan-build
	@scripts/with-pulse ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@ctest --test-dir $(FUZZ_BUILD) --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory tsan-run

fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -DVYN_FUZZ=ON -DVYN_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)

# The engine, its tests and the media generators they use, with ThreadSanitizer (clang);
# the tests run against their own private PulseAudio daemon, with a short soak. libpulse
# is not instrumented: tests/tsan/suppressions lists what is provably inside it.
tsan: tsan-build tsan-run

tsan-build: deps
	@cmake -S . -B $(TSAN_BUILD) -DVYN_TSAN=ON -DVYN_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ $(TSAN_CMAKE_FLAGS) >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS)

tsan-run:
	@VYN_SOAK_TRACKS=24 \
	  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan/suppressions" \
	  scripts/with-pulse ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS)

# The player, its engine, desktop entry, MIME types, AppStream data and icons under PREFIX
# (DESTDIR is honoured for staging).
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package in $(BUILD)/packages, its dependencies found by dpkg-shlibdeps.
deb: build
	@cd $(BUILD) && cpack -G DEB -B packages

bench: build
	@scripts/with-pulse bench/run-all $(BUILD)

format:
	@git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(TSAN_BUILD)
