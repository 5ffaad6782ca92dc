# The two commands of the README: `make run` and `make test`.
# Both install what the project needs first.

JOBS ?= $(shell nproc)
# ccache hits across clones in other folders (CI builds a fresh clone).
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
RELEASE_DIR := build/release
TEST_DIR := build/test
CMAKE_GEN := -G Ninja

# Where there is no display the demo runs headless.
ifeq ($(strip $(DISPLAY)$(WAYLAND_DISPLAY)),)
RUN_FLAGS ?= --headless --frames 150
else
RUN_FLAGS ?=
endif

# Benchmarks: a file bench/bench_<group>.cpp or a folder bench/<group>/ builds
# bench_<group> (bench-vm, bench-ds, ...); `make bench-<group>` runs one group
# optimised, `make bench` runs every group.
BENCH_GROUPS := $(sort $(patsubst bench/bench_%.cpp,%,$(wildcard bench/bench_*.cpp)) \
	$(patsubst bench/%/CMakeLists.txt,%,$(wildcard bench/*/CMakeLists.txt)))
BENCH_TARGETS := $(addprefix bench-,$(BENCH_GROUPS))

.PHONY: all deps release test run bench clean fuzz $(BENCH_TARGETS)

all: release

deps:
	@scripts/install-deps

release: deps
	@cmake -S . -B $(RELEASE_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DZENTRIX_TESTS=OFF >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

# The demo game: packed from games/demo, played, its last frame saved.
DEMO_SHOT := $(RELEASE_DIR)/demo.png
run: release
	$(RELEASE_DIR)/zentrix-pack build games/demo $(RELEASE_DIR)/demo.win
	$(RELEASE_DIR)/zentrix -game $(RELEASE_DIR)/demo.win $(RUN_FLAGS) --screenshot $(DEMO_SHOT)
	@echo "make run: the demo's last frame is in $(DEMO_SHOT)"

# Sanitized build with clang (AddressSanitizer, UndefinedBehaviorSanitizer and
# the fuzz targets in one build), then every test through ctest.
test: deps
	@CC=clang CXX=clang++ cmake -S . -B $(TEST_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DZENTRIX_SANITIZE=ON -DZENTRIX_FUZZ=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)
	@cd $(TEST_DIR) && ctest -j $(JOBS) --output-on-failure --timeout 600

bench: $(BENCH_TARGETS)

# Runs bench_<group>, then any bench_<group>_<part>.
$(BENCH_TARGETS): bench-%: release
	@for p in $(RELEASE_DIR)/bench/bench_$* $(wildcard $(RELEASE_DIR)/bench/bench_$*_*); do $$p || exit 1; done

clean:
	rm -rf build
