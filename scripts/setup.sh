#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the demo need.
set -euo pipefail
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
	build-essential dpkg-dev cmake ninja-build pkg-config git clang-format \
	qtbase5-dev qtbase5-dev-tools qttools5-dev-tools libqt5svg5-dev libqt5svg5 qt5-image-formats-plugins \
	qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins \
	libobs-dev obs-studio libqrcodegencpp1 libsdl2-dev \
	libwebsocketpp-dev libasio-dev \
	libgtest-dev libgmock-dev googletest libbenchmark-dev \
	xvfb xdotool gdb x11-utils imagemagick at-spi2-core \
	python3 python3-websocket python3-pyatspi dbus \
	iproute2 util-linux procps psmisc xz-utils \
	fonts-liberation fonts-wqy-microhei fontconfig
