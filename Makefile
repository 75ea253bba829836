# Spanlet — the two commands a newcomer needs are `make run` and `make test`.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
BUILD_REL  ?= build-release
FUZZ_SECONDS ?= 30
JOBS       ?= $(shell nproc)
CMAKE_FLAGS = -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON

.PHONY: deps configure build test sanitize fuzz bench run demo package format format-check tidy clean

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPANLET_WERROR=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Builds with -Werror and runs every test label (unit, fuzz, x11, e2e).
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Unit and fuzz-driver tests under AddressSanitizer and UndefinedBehaviorSanitizer. Only the
# test binaries that need no display are built here, which keeps the sanitizer build short.
UNIT_TARGETS = core_tests screen_tests platform_tests model_tests overlay_tests ruler_tests view_logic_tests shell_tests x11_unit_tests wayland_unit_tests stillframe_tests gnome_tests
sanitize: deps
	@cmake -S . -B $(BUILD_ASAN) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DSPANLET_WERROR=ON \
		-DSPANLET_SANITIZE=ON -DSPANLET_BENCH=OFF >/dev/null
	cmake --build $(BUILD_ASAN) -j $(JOBS) --target $(UNIT_TARGETS) \
		$$(cd tests/fuzz && ls fuzz_*.cpp | sed 's/\.cpp$$//')
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) -L 'unit|fuzz'

# libFuzzer on every parser, FUZZ_SECONDS each (needs clang: `scripts/install-deps --ci`).
fuzz:
	@cmake -S . -B $(BUILD_FUZZ) $(CMAKE_FLAGS) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DSPANLET_FUZZ=ON -DSPANLET_APP=ON -DSPANLET_BENCH=OFF >/dev/null
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target $$(cd tests/fuzz && ls fuzz_*.cpp | sed 's/\.cpp$$//')
	@set -e; for t in $$(cd tests/fuzz && ls fuzz_*.cpp | sed 's/\.cpp$$//'); do \
		echo "fuzzing $$t for $(FUZZ_SECONDS) s"; \
		$(BUILD_FUZZ)/tests/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=0 2>&1 | tail -n 2; \
	done

bench: deps
	@cmake -S . -B $(BUILD_REL) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD_REL) -j $(JOBS)
	@for b in $(BUILD_REL)/bench/bench_*; do [ -x "$$b" ] && "$$b" || true; done

# Spanlet headless under Xvfb on a sample scene; screenshots in demo/.
demo: build
	@scripts/demo $(BUILD)

# The Debian package, checked by installing it into a temporary root and starting it.
package: build
	@scripts/package-test $(BUILD)

run: build
	@if [ -x $(BUILD)/app/shell/spanlet ]; then \
		if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then echo "No display server (DISPLAY and WAYLAND_DISPLAY are empty): try 'make demo' for headless screenshots."; exit 1; fi; \
		exec $(BUILD)/app/shell/spanlet; \
	else \
		echo "The application shell is not built yet: only the libraries and their tests exist (see README)."; \
	fi

format:
	@git ls-files '*.cpp' '*.hpp' | xargs clang-format -i

format-check:
	@git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run -Werror

tidy: configure
	@git ls-files 'core/src/*.cpp' 'app/*.cpp' | xargs -r clang-tidy -p $(BUILD) --quiet

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_REL)
