# The two commands of the README. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
DEMO_DIR ?= $(or $(XDG_DATA_HOME),$(HOME)/.local/share)/hemu
DEMO ?= $(DEMO_DIR)/demo.xb

.PHONY: run test build programs configure deps bench screenshots deb clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

# Everything, tests included.
build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Only what `make run` starts.
programs: configure
	@cmake --build $(BUILD) -j $(JOBS) --target hemu hemu-cli hemu-jetread

run: programs
	@mkdir -p "$(DEMO_DIR)"
	@if [ ! -f "$(DEMO)" ]; then $(BUILD)/src/hemu-cli demo "$(DEMO)" && echo "demo account set: $(DEMO)"; fi
	@$(BUILD)/src/hemu "$(DEMO)"

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Speed and memory against raw SQLite on generated account sets; not part of `make test`.
bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target hemu-bench
	@$(BUILD)/src/hemu-bench --size small --json $(BUILD)/bench-small.json
	@$(BUILD)/src/hemu-bench --size large --json $(BUILD)/bench-large.json

# The pictures of the user guide, taken from the program itself (no display needed).
screenshots: programs
	@bash scripts/screenshots.sh $(BUILD)

# The Debian package: hemu, hemu-cli, the desktop entry, the file type of account sets, the
# user guide and the manual pages (build/hemu_VERSION_ARCH.deb).
deb: configure
	@cmake --build $(BUILD) -j $(JOBS) --target hemu hemu-cli hemu-jetread manpages
	@bash scripts/screenshots.sh $(BUILD) >/dev/null
	@cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/hemu_*.deb

clean:
	@rm -rf $(BUILD)
