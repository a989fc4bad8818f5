# Entry points on a fresh Debian 12 machine:
#   make run     - install what is missing, build, start the application
#   make test    - install what is missing, build, run every test
#   make package - install what is missing, build the Debian package
#                  ($(BUILD)/package/tarvex-codegenerator_<version>_<arch>.deb)
BUILD ?= build
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)

# Debian packages the build and the tests need.
PACKAGES := cmake make g++ pkg-config \
	qtbase5-dev qtbase5-dev-tools libqt5network5 libquazip1-qt5-dev \
	libgtest-dev fonts-dejavu-core xvfb xauth \
	clang libclang-rt-14-dev \
	gcc-arm-none-eabi libnewlib-arm-none-eabi gcc-avr avr-libc binutils-avr arduino-core-avr \
	simavr libsimavr-dev libelf-dev qemu-system-arm \
	mosquitto mosquitto-clients libmosquitto-dev libcurl4-openssl-dev libssl-dev openssl \
	strace dpkg-dev file desktop-file-utils appstream man-db lintian

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: deps configure build run test package clean

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/src/app/tarvex-codegenerator

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
