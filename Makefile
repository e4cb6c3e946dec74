# The two commands that set everything up: `make play` and `make test`.
BUILD := build
JOBS := $(shell nproc 2>/dev/null || echo 2)

.PHONY: play test build configure deps-play deps-test bench curve screenshots clean

play: deps-play build
	scripts/play.sh

test: deps-test build
	cd $(BUILD) && ctest --output-on-failure -j1
	scripts/ci-hardening.sh

bench: deps-test build
	$(BUILD)/bench/void-sentinel-bench
	python3 bench/startup.py $(BUILD)/run

# The campaign's difficulty, level by level, as the autopilot plays it; also redraws its plot.
curve: deps-test build
	nice $(BUILD)/tools/pilot --svg docs/levels-curve.svg $(BUILD)/run

screenshots: deps-test build
	python3 tests/e2e/gallery.py $(BUILD)/run docs/screenshots

deps-play:
	scripts/install-deps.sh play

deps-test:
	scripts/install-deps.sh test

configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

clean:
	rm -rf $(BUILD)
