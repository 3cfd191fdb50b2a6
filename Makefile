# Three commands: `make run` builds the game with its data and starts it; `make test` builds the
# sanitizer flavour and runs every test; `make web` builds the game for the browser in build/web/.
# All install missing Debian packages first. CMake is the real build; this file only drives it.
RELEASE_DIR ?= build/release
TEST_DIR ?= build/test
TSAN_DIR ?= build/tsan
TSAN_TESTS ?= test_kx_snd
JOBS ?= $(shell nproc)

WEB_DIR ?= build/web

.PHONY: run test test-tsan package build-release build-test web clean

build-release:
	@scripts/install-deps.sh run
	@cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVM_TESTS=OFF >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build-release
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "No display: run the game headless with '$(RELEASE_DIR)/app/veltramondo --headless --frames 600', or under a virtual display with 'xvfb-run make run'."; \
	    exit 1; \
	else \
	    $(RELEASE_DIR)/app/veltramondo; \
	fi

# The Debian package of the release build: $(RELEASE_DIR)/package/veltramondo_<version>_amd64.deb.
package: build-release
	@scripts/install-deps.sh package
	@cmake --build $(RELEASE_DIR) --target package

build-test:
	@scripts/install-deps.sh test
	@cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVM_SANITIZE=ON -DVM_WERROR=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)

test: build-test
	@cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 600

# The threads flavour: ThreadSanitizer on the tests whose code runs on more than one thread.
test-tsan:
	@scripts/install-deps.sh test
	@cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVM_TSAN=ON -DVM_WERROR=ON -DVM_CONTENT=OFF >/dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS) --target $(TSAN_TESTS)
	@cd $(TSAN_DIR) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure -j $(JOBS) --timeout 600 -R "^Sound"

# The browser build: the page in $(WEB_DIR) (any static web server serves it) and the headless
# variant for node in $(WEB_DIR)/node; the data pack comes from the release build.
web: build-release
	@scripts/install-deps.sh web
	@scripts/web-build.sh $(RELEASE_DIR) $(WEB_DIR)

clean:
	rm -rf build
