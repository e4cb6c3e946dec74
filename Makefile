# The two commands that set everything up: `make play` and `make test`.
BUILD := build
JOBS := $(shell nproc 2>/dev/null || echo 2)
# What playing needs from the build: the game, its datafiles and the staged run folder.
PLAY_TARGETS := void-sentinel datafiles stage_data

.PHONY: play test stock build configure deps-play deps-test deps-deb bench curve mutants coverage screenshots deb clean

# Configured without tests unless this build folder already has them (make test turned them on).
play: deps-play
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target $(PLAY_TARGETS)
	scripts/play.sh

# The Debian releases a player's machine is tried on by make test; make stock SUITE=forky tries
# another (testing, say) the same way. Inside such a root, make test STOCK_SUITES= leaves them out.
STOCK_SUITES := bookworm trixie
SUITE ?= $(STOCK_SUITES)

# The stock roots spend their time mostly downloading, unpacking and waiting for windows, so they
# run beside the tests, which mostly wait too; their log is shown once both are done.
STOCK_LOG := $(BUILD)/stock/check.log
test: deps-test build
	@stock=; status=0; \
	if [ -n "$(strip $(STOCK_SUITES))" ]; then \
	  mkdir -p $(BUILD)/stock; \
	  echo "== the stock roots ($(STOCK_SUITES)) beside the tests, log in $(STOCK_LOG)"; \
	  scripts/stock-root.sh check $(BUILD) $(STOCK_SUITES) > $(STOCK_LOG) 2>&1 & stock=$$!; \
	fi; \
	(cd $(BUILD) && ctest --output-on-failure -j1) && scripts/ci-hardening.sh || status=$$?; \
	if [ -n "$$stock" ]; then \
	  wait $$stock || status=1; \
	  cat $(STOCK_LOG); \
	fi; \
	exit $$status

# A player's machine: make play, make deb, the packages installed and played, in a minimal root.
stock: deps-test
	scripts/stock-root.sh check $(BUILD) $(SUITE)

bench: deps-test build
	$(BUILD)/bench/void-sentinel-bench
	python3 bench/startup.py $(BUILD)/run

# The campaign's difficulty, level by level, as the family of autopilot players finds it,
# held to the campaign's rules; also redraws its plot.
curve: deps-test build
	nice $(BUILD)/tools/pilot --check --svg docs/levels-curve.svg $(BUILD)/run

# Plants each catalogued bug in a scratch clone of the committed tree and asks the fast tests,
# then the journeys on what survives them: the kill rate per folder and the survivors.
mutants: deps-test
	python3 tools/mutants/mutants.py --journeys

# Lines and branches of src/ that the unit and hardening tiers run (their display journeys left
# out), from a build of its own compiled for gcov; the report lands in build/coverage/index.html.
# Branches the compiler adds for exceptions thrown inside library calls are not counted.
COVERAGE_BUILD := build-coverage
COVERAGE_REPORT := $(BUILD)/coverage
coverage: deps-test
	cmake -S . -B $(COVERAGE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON \
	  -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage
	cmake --build $(COVERAGE_BUILD) -j $(JOBS) \
	  --target unit-tests hardening-tests save_loop soak damaged_datafiles stage_data
	find $(COVERAGE_BUILD) -name '*.gcda' -delete
	cd $(COVERAGE_BUILD) && ctest -L 'unit|hardening' -LE e2e --output-on-failure
	mkdir -p $(COVERAGE_REPORT)
	gcovr --root . --filter src/ --exclude-throw-branches --print-summary --branches \
	  --html-details $(COVERAGE_REPORT)/index.html --txt $(COVERAGE_REPORT)/branches.txt \
	  $(COVERAGE_BUILD)
	@echo "coverage report: $(COVERAGE_REPORT)/index.html"

screenshots: deps-test build
	python3 tests/e2e/gallery.py $(BUILD)/run docs/screenshots

# The Debian package, built from a copy of the tree and checked with lintian and appstreamcli.
deb: deps-deb
	scripts/make-deb.sh $(BUILD)

deps-play:
	scripts/install-deps.sh play

deps-test:
	scripts/install-deps.sh test

deps-deb:
	scripts/install-deps.sh deb

# The developer's build: everything, tests, benchmarks and tools included.
configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

clean:
	rm -rf $(BUILD)
