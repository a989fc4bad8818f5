#!/bin/sh
# Saves a screenshot of the real main window under a virtual X display.
#
#   tools/screenshot/window_screenshot.sh OUTPUT.png [ROW | about] [smallest]
#
# TARVEX_SCREENSHOT_SCREEN sets the virtual screen (default 1600x1000x24);
# QT_SCALE_FACTOR is passed on, e.g. a 1366 x 768 laptop at 125 %:
#   TARVEX_SCREENSHOT_SCREEN=1366x768x24 QT_SCALE_FACTOR=1.25 \
#       tools/screenshot/window_screenshot.sh small.png 2 smallest
#
# Builds nothing: it runs the tarvex-screenshot helper of an existing build.
# Set TARVEX_SCREENSHOT_BIN to choose the helper; otherwise the most recently
# built one under the repository's build folders is used.
set -eu

if [ $# -lt 1 ] || [ $# -gt 3 ]; then
    echo "usage: $0 OUTPUT.png [ROW | about] [smallest]" >&2
    exit 2
fi

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

bin=${TARVEX_SCREENSHOT_BIN:-}
if [ -z "$bin" ]; then
    bin=$(ls -t "$root"/build*/tools/screenshot/tarvex-screenshot 2>/dev/null | head -n 1 || true)
fi
if [ -z "$bin" ] || [ ! -x "$bin" ]; then
    echo "$0: tarvex-screenshot not found; build it first (cmake --build <dir> --target tarvex-screenshot)" >&2
    exit 1
fi
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "$0: xvfb-run is missing (Debian package xvfb)" >&2
    exit 1
fi

out=$1
case "$out" in
    /*) ;;
    *) out=$(pwd)/$out ;;
esac

out_file=$out
shift
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 ${TARVEX_SCREENSHOT_SCREEN:-1600x1000x24}" "$bin" "$out_file" "$@"
