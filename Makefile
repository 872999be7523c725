# Everything from a fresh Debian 12 machine: `make demo` or `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
DEMO_DIR ?= demo
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

PACKAGES := build-essential cmake ninja-build pkg-config qt6-base-dev libxkbcommon-dev \
	libfftw3-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation \
	xvfb xauth xdotool x11-utils imagemagick clang-format

.PHONY: all deps build test demo bench golden clean format

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

demo: deps
	$(MAKE) build
	$(BUILD_DIR)/tools/vorlix-synth $(DEMO_DIR)/demo --groups 13201 --seed 7
	$(BUILD_DIR)/tools/vorlix-cli info $(DEMO_DIR)/demo.KVT --workdir $(DEMO_DIR)
	$(BUILD_DIR)/tools/vorlix-cli export $(DEMO_DIR)/demo.KVT --workdir $(DEMO_DIR)

bench: deps
	$(MAKE) build
	$(BUILD_DIR)/bench/vorlix_bench --benchmark_min_time=0.5

# Remakes the filter reference vectors of the tests with scipy.
golden:
	@dpkg-query -W -f='$${Status}' python3-scipy 2>/dev/null | grep -q "install ok installed" || \
		(DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y python3-scipy)
	/usr/bin/python3 tools/golden/make_filter_vectors.py

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR)
