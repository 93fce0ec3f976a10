# The two commands that matter: `make run` and `make test`. Both install what is missing.
BUILD ?= build
FUZZ_BUILD ?= build-fuzz
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
PREFIX ?= /usr/local

.PHONY: deps configure build run test fuzz bench format clean install deb

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$${DISPLAY:-}" ] && [ -z "$${WAYLAND_DISPLAY:-}" ]; then \
	  echo "No display found. Run the player under a virtual X server instead:"; \
	  echo "  xvfb-run -a $(BUILD)/bin/vyn-player"; \
	  exit 1; \
	fi
	@$(BUILD)/bin/vyn-player

# Unit, widget and end-to-end tests against a private PulseAudio daemon, then the
# fuzz targets (clang, ASan + UBSan) for a bounded time each.
test: build fuzz
	@scripts/with-pulse ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@ctest --test-dir $(FUZZ_BUILD) --output-on-failure -j $(JOBS)

fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -DVYN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)

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
	rm -rf $(BUILD) $(FUZZ_BUILD)
