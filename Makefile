# Thin wrapper over CMake. `make run` builds and starts the game, `make test` runs every test
# in a normal and in a sanitizer build. Both install the Debian packages they need first.
JOBS ?= 2
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
BENCH_BUILD ?= build-bench
# The release's default clang (the `clang` package), whose libFuzzer runtime tools/setup.sh installs.
FUZZ_CXX ?= clang++
WINDOWS_BUILD ?= build-windows
# -noreset: without it Xvfb resets whenever its last client leaves, and a test connecting
# during that reset cannot open the display.
XVFB := xvfb-run -a -s "-screen 0 1920x1080x24 -noreset"

.PHONY: run build package portable test test-normal test-asan fuzz bench windows windows-test setup-build setup-test assets clean

run: build
	cd bin && ./bramblot

setup-build:
	tools/setup.sh build

setup-test:
	tools/setup.sh test

build: setup-build
	cmake -S . -B $(BUILD) -DBRAMBLOT_TESTS=OFF
	cmake --build $(BUILD) -j$(JOBS) --target bramblot bramblot-mapcheck

# The Debian package bramblot_<version>_<arch>.deb, copied into the project root for
# `sudo apt install ./bramblot_*.deb`.
package:
	tools/setup.sh package
	cmake -S . -B $(BUILD) -DBRAMBLOT_TESTS=OFF
	cmake --build $(BUILD) -j$(JOBS) --target bramblot
	rm -f $(BUILD)/bramblot_*.deb
	cd $(BUILD) && cpack -G DEB
	cp $(BUILD)/bramblot_*.deb .

# bramblot-<version>-linux-<machine>.tar.gz in the project root, for other distributions: the game,
# its assets, its launcher and the libraries a desktop lacks (tools/portable.sh).
portable:
	tools/setup.sh portable
	cmake -S . -B $(BUILD) -DBRAMBLOT_TESTS=OFF
	cmake --build $(BUILD) -j$(JOBS) --target bramblot
	tools/portable.sh $(BUILD) .

test: setup-test test-normal test-asan fuzz

test-normal:
	cmake -S . -B $(BUILD) -DBRAMBLOT_TESTS=ON
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ALSOFT_DRIVERS=null $(XVFB) ctest --output-on-failure -j$(JOBS)

test-asan:
	cmake -S . -B $(ASAN_BUILD) -DBRAMBLOT_TESTS=ON -DBRAMBLOT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
	      -DBRAMBLOT_BIN_DIR=$(CURDIR)/$(ASAN_BUILD)/bin
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ALSOFT_DRIVERS=null $(XVFB) ctest --output-on-failure -j$(JOBS)

# The map fuzzer (clang, libFuzzer, ASan + UBSan) for FUZZ_SECONDS, seeded with every map in the
# tree; new inputs collect in $(FUZZ_BUILD)/corpus, crashes in $(FUZZ_BUILD)/artifacts.
fuzz: setup-test
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) -DBRAMBLOT_FUZZ=ON -DBRAMBLOT_TESTS=OFF \
	      -DBRAMBLOT_BIN_DIR=$(CURDIR)/$(FUZZ_BUILD)/bin
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target MapFuzzer
	mkdir -p $(FUZZ_BUILD)/seeds $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/artifacts
	for map in assets/game.tmj $$(find tests/data -name '*.tmj'); do \
	  cp "$$map" $(FUZZ_BUILD)/seeds/$$(echo "$$map" | tr / _); done
	cd $(FUZZ_BUILD) && ALSOFT_DRIVERS=null \
	  $(XVFB) ./fuzz/MapFuzzer -dict=$(CURDIR)/fuzz/tiled.dict -max_total_time=$(FUZZ_SECONDS) \
	  -artifact_prefix=artifacts/ -print_final_stats=1 corpus seeds

# Frame-cost benchmarks of the match (Google Benchmark) in an optimised build, not part of `make
# test`; BENCH_ARGS go to the benchmark (e.g. --benchmark_filter=Entry). See docs/PERFORMANCE.md.
bench:
	tools/setup.sh bench
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAMBLOT_TESTS=OFF -DBRAMBLOT_BENCHMARKS=ON \
	      -DBRAMBLOT_BIN_DIR=$(CURDIR)/$(BENCH_BUILD)/bin
	cmake --build $(BENCH_BUILD) -j$(JOBS) --target bramblot_benchmarks
	mkdir -p bin && cd bin && ALSOFT_DRIVERS=null $(XVFB) ../$(BENCH_BUILD)/benchmarks/bramblot_benchmarks $(BENCH_ARGS)

# The Windows zip bramblot-<version>-windows-x86_64.zip in the project root, cross-built with
# mingw-w64 against libraries built from Debian's source packages (cached in
# /var/cache/bramblot/windows; see tools/windows-deps.sh).
windows:
	tools/setup.sh windows
	JOBS=$(JOBS) tools/windows-build.sh $(WINDOWS_BUILD)

# The zip played under wine: a match entered, a player walked, Exit chosen, the traces checked.
windows-test: windows
	tools/windows-test.sh bramblot-*-windows-x86_64.zip

assets:
	tools/setup.sh assets
	python3 tools/generate_assets.py

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) $(WINDOWS_BUILD)
