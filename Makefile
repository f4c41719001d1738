# PIVRA: one entry point for set-up, build, tests and the extras.
JOBS     ?= 2
BUILD    ?= build
ASAN     ?= build-asan
CMAKE_FLAGS ?=
PREFIX   ?= /usr/local

.PHONY: deps build run test test-release test-asan test-tsan install package demo bench fuzz clean

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

# make run ARGS="head.jpg tail.jpg --scale 8"
# Without a display (or without the window built) it does the main job
# anyway: the sample coin, as make demo builds it.
run: build
	@if [ -x $(BUILD)/bin/pivra ] && [ -n "$$DISPLAY$$WAYLAND_DISPLAY$$QT_QPA_PLATFORM" ]; then \
	  exec $(BUILD)/bin/pivra $(ARGS); fi; \
	mkdir -p out && \
	$(BUILD)/bin/pivra-make $(BUILD)/bin/sample_head.jpg $(BUILD)/bin/sample_tail.jpg out/pivra.gif && \
	echo "The sample coin is in $(CURDIR)/out/pivra.gif" && \
	if [ -x $(BUILD)/bin/pivra ]; then \
	  echo "The window needs a display (DISPLAY or WAYLAND_DISPLAY); without one, build with $(BUILD)/bin/pivra-make HEAD TAIL OUTPUT.gif"; \
	else \
	  echo "The window is not built (PIVRA_GUI=OFF); build with $(BUILD)/bin/pivra-make HEAD TAIL OUTPUT.gif"; fi

test: test-release test-asan

test-release: build
	cd $(BUILD) && ctest --no-tests=error --output-on-failure -j$(JOBS)

# The same suite under AddressSanitizer and UBSan, in a build of its own.
test-asan: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DPIVRA_SANITIZE=ON -DPIVRA_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(ASAN) -j$(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan-qt.supp:print_suppressions=0 \
	  ctest --no-tests=error --output-on-failure -j$(JOBS)

# The threaded parts under ThreadSanitizer: the build's commands (in-process,
# on two threads), pivra-make's whole runs (GIF, WebP and APNG, each a process
# of its own) and the large-picture readers; not the window (Qt is not
# instrumented), nor the two tests that render in the test process itself,
# where it reports accesses made under one and the same lock.
# ImageMagick's own locks are OpenMP's, which it cannot see.
TSAN ?= build-tsan
test-tsan: deps
	cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIVRA_TSAN=ON -DPIVRA_GUI=OFF -DPIVRA_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(TSAN) -j$(JOBS)
	cd $(TSAN) && TSAN_OPTIONS=suppressions=$(CURDIR)/tests/tsan-magick.supp \
	  ctest --no-tests=error --output-on-failure -j$(JOBS) -R 'Build|PivraMake|Crop|Signals|LargePictures|Webm|FitBudget|FittedExport' -E 'Webp|Apng'

# Installs under PREFIX; the installed programs find everything relative to bin/.
install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package build/pivra_<version>_<arch>.deb (sudo apt install ./build/pivra_...deb).
package: build
	cd $(BUILD) && cpack -G DEB

demo: build
	mkdir -p out
	$(BUILD)/bin/pivra-make $(BUILD)/bin/sample_head.jpg $(BUILD)/bin/sample_tail.jpg out/pivra.gif

bench: build
	scripts/run-benchmarks $(BUILD)

fuzz: deps
	scripts/run-fuzzers

clean:
	rm -rf $(BUILD) $(ASAN)
