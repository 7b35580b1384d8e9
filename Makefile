# Thin wrapper around CMake. `make` builds everything into build/.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all run test test-release test-asan test-tsan fuzz tune netdata train deps clean

all: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: all
	@cd $(BUILD) && exec ./tolvane

test: test-release test-asan test-tsan

test-release: all
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The tests that run several search threads (in-process, and the engine
# through a pipe), under ThreadSanitizer: any report fails them.
test-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_TSAN=ON >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target tolvane search_tests frontend_tests
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 exitcode=66" ctest --output-on-failure -R Threads

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

# The learned evaluation's training data: JOBS self-play processes of
# NET_GAMES games each at NET_NODES nodes a search (process n seeded 211 n),
# written in chunks to $(NETDATA_DIR)/chunks (a run started again with the
# same numbers resumes), then every position once, shuffled, in
# $(NETDATA_DIR)/train.tvnd.
NET_GAMES   ?= 2000
NET_NODES   ?= 10000
NETDATA_DIR ?= $(BUILD)/netdata
netdata: all
	seq 1 $(JOBS) | xargs -P $(JOBS) -I N sh -c \
	  '$(BUILD)/tools/gendata netdata $(NETDATA_DIR)/chunks $(NET_GAMES) $$((211 * N)) --nodes $(NET_NODES)'
	$(BUILD)/tools/gendata netprep $(NETDATA_DIR)/train.tvnd $(NETDATA_DIR)/chunks/*.tvnd

# Trains the learned evaluation on $(NETDATA_DIR)/train.tvnd with JOBS
# threads: the net file $(TRAIN_DIR)/Network.nnue and the checkpoint beside
# it are written after every epoch. TRAIN_OPTIONS go to tools/train (e.g.
# "--epochs 20 --hidden 512", or "--resume" to go on from the checkpoint).
TRAIN_DIR     ?= $(BUILD)/train
TRAIN_OPTIONS ?=
train: all
	@mkdir -p $(TRAIN_DIR)
	$(BUILD)/tools/train $(NETDATA_DIR)/train.tvnd --out $(TRAIN_DIR)/Network.nnue \
	  --checkpoint $(TRAIN_DIR)/checkpoint.tvnc --threads $(JOBS) $(TRAIN_OPTIONS)

# Installs the build tools on a fresh Debian machine when they are missing.
deps:
	@command -v cmake >/dev/null && command -v g++ >/dev/null && \
	  [ -f /usr/include/gtest/gtest.h ] || { \
	  echo "installing build dependencies"; \
	  SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); \
	  $$SUDO apt-get update -qq && $$SUDO apt-get install -y -qq cmake g++ make libgtest-dev; }

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(WIN_BUILD) dist

# The Windows engine: tolvane.exe cross-built with mingw-w64 into $(WIN_BUILD)
# beside its data files, which the host build's tools make. `make
# test-windows` plays sessions with it under Wine (prefix in
# $(WIN_BUILD)/wineprefix); `make dist` packs both engines for release.
WIN_BUILD ?= build-win
WINE_ENV   = WINEPREFIX=$(CURDIR)/$(WIN_BUILD)/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
VERSION   ?= $(shell git describe --tags --always --dirty 2>/dev/null || echo dev)
DIST_DATA  = PosVal.txt Config.ini TimeManagement.txt HowToThink.opt OpenBook.dat Network.nnue
APT_GET    = SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); $$SUDO apt-get update -qq && $$SUDO apt-get install -y -qq

.PHONY: windows test-windows dist windows-deps wine-deps

windows: deps windows-deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target makeopt makebook
	@cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DTOLVANE_HOST_TOOLS=$(CURDIR)/$(BUILD)/tools >/dev/null
	@cmake --build $(WIN_BUILD) -j $(JOBS)

# A persistent wine server and a booted prefix first: Wine's helper processes
# must not start from a session and hold its pipes open. No desktop either,
# so that a message box can show nowhere. The console check runs in a
# terminal of its own (script) and reports on stderr.
test-windows: windows wine-deps
	@cmake --build $(BUILD) -j $(JOBS) --target wine_tests
	@$(WINE_ENV) wineserver -p 60 </dev/null >/dev/null 2>&1; \
	  $(WINE_ENV) wine wineboot </dev/null >$(WIN_BUILD)/wineboot.log 2>&1
	cd $(WIN_BUILD) && env -u DISPLAY -u WAYLAND_DISPLAY $(WINE_ENV) \
	  timeout 60 script -qec "wine console_check.exe 2>console_check.txt" /dev/null </dev/null >/dev/null; \
	  status=$$?; cat console_check.txt; exit $$status
	cd $(BUILD) && env -u DISPLAY -u WAYLAND_DISPLAY $(WINE_ENV) TOLVANE_WIN_BUILD=$(CURDIR)/$(WIN_BUILD) \
	  WINE=$$(command -v wine) ./wine_tests

dist: windows
	@command -v zip >/dev/null || { $(APT_GET) zip; }
	@cmake --build $(BUILD) -j $(JOBS) --target tolvane
	@rm -rf dist/stage && mkdir -p dist/stage/tolvane-$(VERSION)-windows-x64 dist/stage/tolvane-$(VERSION)-linux-x64
	@cp $(WIN_BUILD)/tolvane.exe $(addprefix $(WIN_BUILD)/,$(DIST_DATA)) dist/stage/tolvane-$(VERSION)-windows-x64/
	@sed 's/$$/\r/' release/README.txt >dist/stage/tolvane-$(VERSION)-windows-x64/README.txt
	@cp $(BUILD)/tolvane $(addprefix $(BUILD)/,$(DIST_DATA)) release/README.txt dist/stage/tolvane-$(VERSION)-linux-x64/
	@rm -f dist/tolvane-$(VERSION)-windows-x64.zip dist/tolvane-$(VERSION)-linux-x64.tar.gz
	@cd dist/stage && zip -qr ../tolvane-$(VERSION)-windows-x64.zip tolvane-$(VERSION)-windows-x64 && \
	  tar -czf ../tolvane-$(VERSION)-linux-x64.tar.gz tolvane-$(VERSION)-linux-x64
	@rm -rf dist/stage
	@ls -l dist/tolvane-$(VERSION)-*

windows-deps:
	@command -v x86_64-w64-mingw32-g++ >/dev/null || { \
	  echo "installing the Windows cross compiler"; $(APT_GET) g++-mingw-w64-x86-64; }

wine-deps:
	@command -v wine >/dev/null && command -v script >/dev/null || { \
	  echo "installing Wine"; $(APT_GET) wine wine64 bsdutils; }
