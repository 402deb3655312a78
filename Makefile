# Kiv Contacts: set-up, build, run and test. `make run` and `make test` are all
# a fresh Debian machine needs.

BUILD_DIR   ?= build
ASAN_DIR    ?= build-asan
BUILD_TYPE  ?= RelWithDebInfo
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)

DEB_PACKAGES = cmake make g++ ccache python3 \
	qtbase5-dev qtdeclarative5-dev libqt5sql5-sqlite libsqlite3-dev zlib1g-dev \
	qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtgraphicaleffects \
	qml-module-qttest qt5-image-formats-plugins \
	xvfb xauth libx11-dev fonts-dejavu-core desktop-file-utils python3-vobject \
	librsvg2-bin libicu-dev \
	qttools5-dev qttools5-dev-tools qttranslations5-l10n appstream \
	qtkeychain-qt5-dev radicale xandikos gnome-keyring dbus dbus-x11 \
	libkf5contacts-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

FUZZ_DIR      ?= build-fuzz
FUZZ_SECONDS  ?= 3600
FUZZ_RUNS     ?= 1000000
FUZZ_TARGETS  = csv vcard parsefile photo sqlite sync search
FUZZ_PACKAGES = clang libclang-rt-14-dev

.PHONY: all deps deps-fuzz build run test test-full test-asan bench fuzz translations screenshots clean

all: build

# Installs each missing Debian package; does nothing when all are present.
deps:
	@missing=""; \
	for p in $(DEB_PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" \
			|| missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
		echo "Installing missing packages:$$missing"; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

# The fuzzers need clang and its libFuzzer runtime on top of the usual packages.
deps-fuzz: deps
	@$(MAKE) --no-print-directory deps DEB_PACKAGES="$(FUZZ_PACKAGES)"

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Without a display the program runs on a virtual X server instead of failing.
# Status 255 means another instance was running and got the request instead.
run: deps build
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
		./$(BUILD_DIR)/kiv-contacts; status=$$?; \
	else \
		echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset):"; \
		echo "starting Kiv Contacts on a virtual X server (xvfb-run). Stop it with Ctrl+C."; \
		xvfb-run -a -s "-screen 0 1280x1024x24" ./$(BUILD_DIR)/kiv-contacts; status=$$?; \
	fi; \
	if [ $$status -eq 255 ]; then \
		echo "Kiv Contacts is already running for this user; its window was brought forward."; \
	else \
		exit $$status; \
	fi

test: deps build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) -LE full

# The same with the CardDAV tests at their full sizes (about half an hour more).
test-full: deps build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The benchmarks draw nothing on screen: they run on the offscreen platform.
bench: deps build
	@for b in $(BUILD_DIR)/bench/bench_*; do \
		if [ -f "$$b" ] && [ -x "$$b" ]; then QT_QPA_PLATFORM=offscreen "$$b" || exit 1; fi; \
	done

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
# Leaks inside the system's graphics and font libraries are suppressed; ours are not.
test-asan: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DKIV_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && \
	QSG_RENDER_LOOP=basic \
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --output-on-failure -j $(JOBS) -LE full

# Each fuzzer runs FUZZ_RUNS inputs (default a million) or FUZZ_SECONDS (default
# an hour), whichever ends first, one after the other, and prints its runs per
# second (exec/s) at the end; seeded with
# its small inputs in tests/data/fuzz/<target>/ (inputs of at most 4 KB keep
# every run fast). Findings are written to $(FUZZ_DIR)/findings/; the corpus
# grows in $(FUZZ_DIR)/corpus/. A finding, once fixed, goes into the target's
# folder, where `make test` replays it.
fuzz: deps-fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIV_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	@mkdir -p $(FUZZ_DIR)/findings
	@for t in $(FUZZ_TARGETS); do \
		mkdir -p $(FUZZ_DIR)/corpus/$$t; \
		echo "== fuzz_$$t for $(FUZZ_RUNS) runs or $(FUZZ_SECONDS) s"; \
		QT_QPA_PLATFORM=offscreen ./$(FUZZ_DIR)/tests/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -runs=$(FUZZ_RUNS) \
			-max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
			-artifact_prefix=$(FUZZ_DIR)/findings/$$t- \
			$(FUZZ_DIR)/corpus/$$t tests/data/fuzz/$$t \
			|| exit 1; \
	done

# Refreshes the translation catalogues in translations/ from the sources and
# the scenes (lupdate); new texts then wait there for their translations.
translations: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) --target translations

# Pictures of the scenes' main states in desktop and tablet layout, drawn on a
# virtual X server from a made-up address book.
screenshots: deps build
	rm -rf $(BUILD_DIR)/screenshots
	xvfb-run -a -s "-screen 0 1600x1200x24" ./$(BUILD_DIR)/tools/kiv-screenshots $(BUILD_DIR)/screenshots

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
