# Entry points; each first makes sure the build's packages are installed.
BUILD      ?= build
BUILD_SAN  ?= build-sanitize
BUILD_WIN  ?= build-windows
# The Linux ruv-import that the Windows one is compared with (PCM sound only).
BUILD_PCM  ?= build-pcm
BUILD_BENCH ?= build-bench
BUILD_FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
LINUX_TC   := cmake/toolchain-linux-i386.cmake
MINGW_TC   := cmake/toolchain-mingw-i686.cmake
# ccache, when installed, shortens rebuilds; the build does not need it.
LAUNCHER   := $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all build demo test test-sanitize fuzz windows test-windows bench mutate bootstrap clean

all: build

bootstrap:
	@scripts/bootstrap.sh

build: bootstrap
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=$(LINUX_TC) $(LAUNCHER)
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	$(BUILD)/bin/ruv-import samples/demo.mov

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Under qemu-i386 a 32-bit process may map all 4 GiB, but ASan lays out its
# shadow for the 3 GiB of an i686 kernel; the emulator's address space is cut
# to match (the variable means nothing to a native run).
QEMU_RESERVED_VA ?= 0xbfff0000
# A sample whose buffer cannot be allocated is a failure the importer
# reports, so the sanitizer's allocator answers null as the system's does.

test-sanitize: bootstrap
	cmake -S . -B $(BUILD_SAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_TOOLCHAIN_FILE=$(LINUX_TC) $(LAUNCHER) -DRUV_SANITIZE=ON
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 QEMU_RESERVED_VA=$(QEMU_RESERVED_VA) \
	  ctest --output-on-failure -j $(JOBS)

# libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer):
# the movie target runs FUZZ_SECONDS, the others half as long.
FUZZ_TARGETS := fuzz_movie fuzz_audio_extraction fuzz_data_handler_movie fuzz_data_ref fuzz_import \
  fuzz_fragments
fuzz:
	@scripts/bootstrap.sh fuzz
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_TOOLCHAIN_FILE=$(LINUX_TC) $(LAUNCHER) \
	  -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DRUV_SANITIZE=ON -DRUV_FUZZ=ON
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target $(FUZZ_TARGETS) make_fuzz_corpus make_data_ref_corpus
	scripts/fuzz.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

# Breaks each rule of scripts/mutations.txt, one at a time, in a copy of the
# tree, and reports every breakage no test notices.
mutate: bootstrap
	scripts/mutate.sh

windows:
	@scripts/bootstrap.sh windows
	cmake -S . -B $(BUILD_WIN) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$(MINGW_TC) $(LAUNCHER) -DRUV_BUILD_TESTS=OFF
	cmake --build $(BUILD_WIN) -j $(JOBS)

# The Windows build's tests under wine, and its ruv-import.exe compared with
# the Linux one on the shared movies (scripts/test_windows.sh).
test-windows:
	@scripts/test_windows.sh $(BUILD_WIN) $(BUILD_PCM) $(JOBS) $(LAUNCHER)

# BENCH_QUICK=1 runs the short form CI runs so that the benchmarks cannot
# rot: small movies, one round, every figure printed, goals not judged.
BENCH_QUICK ?= 0
bench:
	@scripts/bootstrap.sh bench
	cmake -S . -B $(BUILD_BENCH) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$(LINUX_TC) $(LAUNCHER) -DRUV_BUILD_TESTS=OFF -DRUV_BUILD_BENCH=ON
	cmake --build $(BUILD_BENCH) -j $(JOBS)
	RUV_BENCH_QUICK=$(BENCH_QUICK) scripts/bench.sh $(BUILD_BENCH)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_WIN) $(BUILD_PCM) $(BUILD_BENCH) $(BUILD_FUZZ)
