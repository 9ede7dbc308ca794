# Thin wrapper over CMake. `make run` builds and starts the game, `make test` runs every test
# in a normal and in a sanitizer build. Both install the Debian packages they need first.
JOBS ?= 2
BUILD ?= build
ASAN_BUILD ?= build-asan
# -noreset: without it Xvfb resets whenever its last client leaves, and a test connecting
# during that reset cannot open the display.
XVFB := xvfb-run -a -s "-screen 0 1920x1080x24 -noreset"

.PHONY: run build test test-normal test-asan setup-build setup-test assets clean

run: build
	cd bin && ./bramblot

setup-build:
	tools/setup.sh build

setup-test:
	tools/setup.sh test

build: setup-build
	cmake -S . -B $(BUILD) -DBRAMBLOT_TESTS=OFF
	cmake --build $(BUILD) -j$(JOBS) --target bramblot

test: setup-test test-normal test-asan

test-normal:
	cmake -S . -B $(BUILD) -DBRAMBLOT_TESTS=ON
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ALSOFT_DRIVERS=null $(XVFB) ctest --output-on-failure -j$(JOBS)

test-asan:
	cmake -S . -B $(ASAN_BUILD) -DBRAMBLOT_TESTS=ON -DBRAMBLOT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
	      -DBRAMBLOT_BIN_DIR=$(CURDIR)/$(ASAN_BUILD)/bin
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ALSOFT_DRIVERS=null $(XVFB) ctest --output-on-failure -j$(JOBS)

assets:
	tools/setup.sh assets
	python3 tools/generate_assets.py

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
