# Two commands matter: `make demo` and `make test`. Everything else supports them.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX     ?= /usr/local
CMAKE_GEN  := -G Ninja
# ccache, when installed (make deps installs it), keeps compiled objects
# across builds and clones: paths are taken relative to this directory, so a
# fresh clone elsewhere reuses them. KESTRUN_CCACHE=0 compiles everything.
KESTRUN_CCACHE ?= 1
LAUNCHER = $$(if [ "$(KESTRUN_CCACHE)" = 1 ] && command -v ccache >/dev/null; then \
  echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache; \
  else echo -DCMAKE_CXX_COMPILER_LAUNCHER= -DCMAKE_C_COMPILER_LAUNCHER=; fi)
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true

.PHONY: all deps configure build demo syntax test test-fast test-asan bench fuzz clean install deb editors

all: build

# Installs the toolchain and libraries when they are missing (Debian/Ubuntu, as root).
deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) $(LAUNCHER) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Only what the demo runs: kestrun1 and the simulated client library it links.
demo: configure
	@cmake --build $(BUILD) -j $(JOBS) --target kestrun1
	@bash scripts/demo.sh $(BUILD)

# Regenerates docs/syntax.txt, the committed copy of the syntax reference.
syntax: build
	@cmake --build $(BUILD) --target syntax_doc

# Unit tests and golden cases, then the same under AddressSanitizer and UBSan.
test: test-fast test-asan

test-fast: build
	@cd $(BUILD) && ctest -j $(JOBS) --output-on-failure

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) $(LAUNCHER) -DCMAKE_BUILD_TYPE=Debug -DKESTRUN_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 LSAN_OPTIONS=exitcode=23 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest -j $(JOBS) --output-on-failure

bench: deps
	@cmake -S . -B $(BENCH_BUILD) $(CMAKE_GEN) $(LAUNCHER) -DCMAKE_BUILD_TYPE=Release -DKESTRUN_TESTS=OFF -DKESTRUN_BENCH=ON >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS)
	@bash bench/run.sh $(BENCH_BUILD)

# kestrun1, pvxjsim, libpvxjsim with pvxj.h, the CMake package files, man
# pages, editor files and examples under $(PREFIX) (DESTDIR=... stages them).
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package, in $(BUILD)/package/: sudo apt install ./kestrun1_*.deb
deb: build
	@cd $(BUILD) && cpack -G DEB >/dev/null
	@ls $(BUILD)/package/kestrun1_*.deb

# Rewrites editors/ from the keyword table and the catalogue; commit the result.
editors: deps
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) $(LAUNCHER) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target editors

# Each fuzz target for FUZZ_SECONDS, under ASan and UBSan (clang, libFuzzer).
fuzz:
	@bash scripts/install-deps.sh fuzz
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUN_TESTS=OFF -DKESTRUN_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
