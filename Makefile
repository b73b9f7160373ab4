# The two commands a newcomer needs: `make run` and `make test`.
# Besides them: `make build`, `make bench`, `make fuzz`, `make installer`, `make screenshots`.

JOBS ?= $(shell nproc)
# The builds' own makes run below this one: no "Entering directory" lines from them.
MAKEFLAGS += --no-print-directory
WINE_RUN := scripts/wine-run

.PHONY: all bootstrap build native windows test test-native test-windows test-fuzz run bench screenshots fuzz simulate installer clean

all: build

bootstrap:
	@scripts/bootstrap

native: bootstrap
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS)

windows: bootstrap
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows -j $(JOBS)

# belvanto.exe ends up at build/windows/belvanto.exe.
build: native windows

test-native: native
	cd build/native && ctest --output-on-failure -j $(JOBS)

# Wine tests share one prefix (registry, files, the single-instance mutex): one at a time.
test-windows: windows
	$(WINE_RUN) -- ctest --test-dir build/windows --output-on-failure

# The three fuzz targets for about a minute in all, when clang is there (the script says so otherwise).
test-fuzz: bootstrap
	@scripts/run-fuzzer 60

test: test-native test-fuzz test-windows

# Starts belvanto.exe under Wine in a prefix that is kept between runs.
run: windows
	@scripts/run-program

# Benchmark programs, built optimised and without sanitizers in build/bench.
bench: bootstrap
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench -j $(JOBS)
	@scripts/run-benchmarks

# A PNG of every window of the program, in build/screenshots.
screenshots: windows
	@scripts/screenshot-dialogs

fuzz: bootstrap
	@scripts/run-fuzzer 600

# The shared-file simulation's long run (make test runs a short one): a million steps of
# programs on one damaged file, optimised; SEED and STEPS choose another run.
simulate: bootstrap
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench --target unit_sharing -j $(JOBS)
	TZ=Europe/Berlin QZ_SHARING_STEPS=$${STEPS:-1000000} QZ_SHARING_SEED=$${SEED:-1} \
		build/bench/tests/unit/sharing/unit_sharing

installer: windows
	@cmake --build --preset windows --target installer
	@echo "The setup program: $$(ls build/windows/QuarvZodora-*-setup.exe)"
	@echo "Without installation: $$(ls build/windows/QuarvZodora-*-portable.zip)"
	@echo "Their SHA-256: $$(ls build/windows/QuarvZodora-*-SHA256.txt)"
	@echo "winget manifests: $$(ls -d build/windows/winget/*/*)"

clean:
	rm -rf build
