# Kiv Contacts: set-up, build, run and test. `make run` and `make test` are all
# a fresh Debian machine needs.

BUILD_DIR   ?= build
ASAN_DIR    ?= build-asan
BUILD_TYPE  ?= RelWithDebInfo
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)

DEB_PACKAGES = cmake make g++ python3 \
	qtbase5-dev qtdeclarative5-dev libqt5sql5-sqlite \
	qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtgraphicaleffects \
	qml-module-qttest qt5-image-formats-plugins \
	xvfb xauth fonts-dejavu-core desktop-file-utils python3-vobject

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run test bench clean

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

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Without a display the program runs on a virtual X server instead of failing.
run: deps build
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
		./$(BUILD_DIR)/kiv-contacts; \
	else \
		echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset):"; \
		echo "starting Kiv Contacts on a virtual X server (xvfb-run). Stop it with Ctrl+C."; \
		xvfb-run -a -s "-screen 0 1280x1024x24" ./$(BUILD_DIR)/kiv-contacts; \
	fi

test: deps build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: deps build
	@for b in $(BUILD_DIR)/bench/bench_*; do \
		[ -x "$$b" ] && "$$b" || exit 1; \
	done

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
