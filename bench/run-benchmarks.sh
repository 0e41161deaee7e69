#!/bin/sh
# Runs every benchmark from a build folder (default: build/) and prints its figures.
set -eu
build="${1:-$(dirname "$0")/../build}"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
umockdev-wrapper "$build/bench/bench_usb"
umockdev-wrapper "$build/bench/bench_scan"
umockdev-wrapper "$build/bench/bench_plug"
"$build/bench/bench_startup"
# The long fuzz runs take several minutes each.
umockdev-wrapper "$build/bench/bench_fuzz_camera" 100000
umockdev-wrapper "$build/bench/bench_fuzz_service" 1000
