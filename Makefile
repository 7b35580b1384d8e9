# Thin wrapper around CMake. `make` builds everything into build/.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all run test test-release test-asan deps clean

all: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: all
	@cd $(BUILD) && exec ./tolvane

test: test-release test-asan

test-release: all
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# Installs the build tools on a fresh Debian machine when they are missing.
deps:
	@command -v cmake >/dev/null && command -v g++ >/dev/null && \
	  [ -f /usr/include/gtest/gtest.h ] || { \
	  echo "installing build dependencies"; \
	  SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); \
	  $$SUDO apt-get update -qq && $$SUDO apt-get install -y -qq cmake g++ make libgtest-dev; }

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
