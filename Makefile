# Thin wrapper around CMake. `make` builds everything into build/.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all run test test-release test-asan fuzz tune deps clean

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

# The protocol fuzz target (clang, libFuzzer, ASan+UBSan), run for FUZZ_SECONDS
# in its build directory beside the data files. New inputs go to
# $(FUZZ_BUILD)/corpus, crashes to $(FUZZ_BUILD)/crash-*; the seed corpus in
# tests/fuzz/corpus is only read.
fuzz: deps
	@command -v clang++ >/dev/null || { echo "make fuzz needs clang++"; exit 1; }
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DTOLVANE_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target protocol_fuzz
	@mkdir -p $(FUZZ_BUILD)/corpus
	cd $(FUZZ_BUILD) && ./protocol_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=20 \
	  -artifact_prefix=./ corpus $(CURDIR)/tests/fuzz/corpus

# Tunes the evaluation script from fresh games: JOBS self-play processes of
# TUNE_GAMES games each at depth TUNE_DEPTH (process n seeded 101 n), the
# match tool's games in the PGN files given as PGN=..., then the fit. The
# tuned script is written to $(TUNE_DIR)/PosVal.txt; data/PosVal.txt stays.
TUNE_GAMES ?= 5500
TUNE_DEPTH ?= 6
TUNE_DIR   ?= $(BUILD)/tune
tune: all
	@mkdir -p $(TUNE_DIR)
	seq 1 $(JOBS) | xargs -P $(JOBS) -I N sh -c \
	  '$(BUILD)/tools/gendata selfplay $(TUNE_DIR)/positions-N.txt $(TUNE_GAMES) $$((101 * N)) $(TUNE_DEPTH)'
	$(if $(PGN),$(BUILD)/tools/gendata pgn $(TUNE_DIR)/positions-peers.txt $(PGN))
	$(BUILD)/tools/tune $(TUNE_DIR)/PosVal.txt $(TUNE_DIR)/positions-*.txt

# Installs the build tools on a fresh Debian machine when they are missing.
deps:
	@command -v cmake >/dev/null && command -v g++ >/dev/null && \
	  [ -f /usr/include/gtest/gtest.h ] || { \
	  echo "installing build dependencies"; \
	  SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); \
	  $$SUDO apt-get update -qq && $$SUDO apt-get install -y -qq cmake g++ make libgtest-dev; }

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
