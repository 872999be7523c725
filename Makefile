# Everything from a fresh Debian 12 machine: `make demo` or `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
DEMO_DIR ?= demo
VORLIX := $(BUILD_DIR)/src/vorlix
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

PACKAGES := build-essential cmake ninja-build pkg-config qt6-base-dev libxkbcommon-dev \
	libfftw3-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation \
	xvfb xauth xdotool x11-utils imagemagick clang-format desktop-file-utils dpkg-dev file \
	locales-all gdal-bin poppler-utils

.PHONY: all deps build test test-asan demo package bench golden mutants fuzz clean format

all: build

# Installs only the packages that are missing.
deps:
	@missing=$$(for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y $$missing; \
	fi

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: deps
	$(MAKE) build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) test-asan

# Every test again in a build with AddressSanitizer and UndefinedBehaviorSanitizer: any report
# fails the test that caused it.
ASAN_BUILD_DIR ?= build-asan
SANITIZER_ENV := ASAN_OPTIONS=abort_on_error=1:detect_stack_use_after_return=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
test-asan:
	@[ -f $(ASAN_BUILD_DIR)/build.ninja ] || cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja \
		-DCMAKE_BUILD_TYPE=Release -DVORLIX_SANITIZE=ON -DVORLIX_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	cd $(ASAN_BUILD_DIR) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

demo: deps
	$(MAKE) build
	$(BUILD_DIR)/tools/vorlix-synth $(DEMO_DIR)/demo --groups 13201 --seed 7
	$(BUILD_DIR)/tools/vorlix-cli info $(DEMO_DIR)/demo.KVT --workdir $(DEMO_DIR)
	$(BUILD_DIR)/tools/vorlix-cli export $(DEMO_DIR)/demo.KVT --workdir $(DEMO_DIR)
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		echo "Opening the demo in the window: $(VORLIX) --workdir $(DEMO_DIR) $(DEMO_DIR)/demo.KVT"; \
		$(VORLIX) --workdir $(DEMO_DIR) $(DEMO_DIR)/demo.KVT; \
	else \
		echo "No display (DISPLAY and WAYLAND_DISPLAY are unset), so no window: writing pictures."; \
		runtime=$${XDG_RUNTIME_DIR:-/tmp/vorlix-runtime-$$(id -u)}; mkdir -p -m 700 $$runtime; \
		for screen in $$($(VORLIX) --list-screens); do \
			XDG_RUNTIME_DIR=$$runtime $(VORLIX) --workdir $(DEMO_DIR) --screen $$screen \
				--screenshot $(DEMO_DIR)/$$screen.png $(DEMO_DIR)/demo.KVT || exit 1; \
			echo "  $(DEMO_DIR)/$$screen.png"; \
		done; \
		echo "To see the window, run under a display: $(VORLIX) --workdir $(DEMO_DIR) $(DEMO_DIR)/demo.KVT"; \
	fi

# A Debian package of vorlix and vorlix-cli, in $(BUILD_DIR).
package: deps
	$(MAKE) build
	cd $(BUILD_DIR) && cpack -G DEB

bench: deps
	$(MAKE) build
	$(BUILD_DIR)/bench/vorlix_bench --benchmark_min_time=0.5
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/vorlix_view_bench --benchmark_min_time=0.5

# Remakes the filter reference vectors of the tests with scipy.
golden:
	@dpkg-query -W -f='$${Status}' python3-scipy 2>/dev/null | grep -q "install ok installed" || \
		(DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y python3-scipy)
	/usr/bin/python3 tools/golden/make_filter_vectors.py

# A mutation run of the core tests in its own build folder (not part of `make test`), e.g.
# `make mutants COUNT=30` or `make mutants MUTANT_ARGS="--only src/analysis/CycleFinders.cpp"`.
FOLDERS ?= src/document src/analysis src/pipeline tools/cli
COUNT ?= 400
SEED ?= 1
MUTANT_BUILD_DIR ?= build-mutants
mutants: deps
	/usr/bin/python3 tools/mutants/run_mutants.py --build-dir $(MUTANT_BUILD_DIR) --count $(COUNT) \
		--seed $(SEED) --jobs $(JOBS) $(MUTANT_ARGS) $(FOLDERS)

# Runs every fuzz harness of tests/fuzz for FUZZ_SECONDS, in a clang build of its own. New inputs
# go to $(FUZZ_BUILD_DIR)/corpus/NAME (the committed seeds in tests/fuzz/corpus stay as they
# are); a crash or hang stops the run and leaves its input in $(FUZZ_BUILD_DIR)/crashes.
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZERS := RawFile GpsFile ImageFile GprFile SettingsFile SectionsSettings
fuzz: deps
	@$(MAKE) --no-print-directory deps PACKAGES="clang libclang-rt-14-dev"
	@[ -f $(FUZZ_BUILD_DIR)/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD_DIR) \
		-G Ninja -DCMAKE_BUILD_TYPE=Release -DVORLIX_FUZZ=ON
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS)
	@for name in $(FUZZERS); do \
		mkdir -p $(FUZZ_BUILD_DIR)/corpus/$$name $(FUZZ_BUILD_DIR)/crashes; \
		echo "fuzz_$$name: $(FUZZ_SECONDS) s"; \
		$(FUZZ_BUILD_DIR)/tests/fuzz/fuzz_$$name $(FUZZ_BUILD_DIR)/corpus/$$name \
			tests/fuzz/corpus/$$name -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=4096 \
			-artifact_prefix=$(FUZZ_BUILD_DIR)/crashes/$$name- -print_final_stats=1 \
			2> $(FUZZ_BUILD_DIR)/fuzz_$$name.log || { tail -n 40 $(FUZZ_BUILD_DIR)/fuzz_$$name.log; exit 1; }; \
		grep -E '^stat::number_of_executed_units|^#[0-9]+ +DONE' $(FUZZ_BUILD_DIR)/fuzz_$$name.log; \
	done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR)
