#!/usr/bin/env bash
# One-step set-up for a Debian 12 machine.
#   tools/setup.sh run    install what is needed, build, and start the wizard against
#                         the simulated camera and the local cloud service
#   tools/setup.sh test   install what is needed, check the code's format, build with
#                         warnings as errors, and run every test; then
#                         build again with AddressSanitizer and UndefinedBehaviorSanitizer
#                         and run every test under them; then build against Qt 6 with
#                         Clang and run every test again; then build the Debian package
#                         and check it
# Both can be run again at any time.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RAVELO_BUILD_DIR:-$here/build}"
sanitized_build="${RAVELO_SANITIZED_BUILD_DIR:-$here/build-sanitize}"
qt6_build="${RAVELO_QT6_BUILD_DIR:-$here/build-qt6}"

packages=(
    build-essential cmake ninja-build pkg-config clang clang-format ccache
    qtbase5-dev qtbase5-dev-tools libqt5network5 libqt5dbus5 qttools5-dev qttools5-dev-tools qttranslations5-l10n
    qtwayland5
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n
    qt6-wayland
    libusb-dev libudev-dev
    umockdev libumockdev-dev dbus-daemon python3-dbusmock
    fonts-noto-cjk
    openssl ca-certificates
    xvfb xauth weston
    at-spi2-core python3-pyatspi dbus-bin x11-utils
    dpkg-dev devscripts file lintian appstream desktop-file-utils
)

# Every build compiles through ccache, its cache outside the checkout, so that a later
# run on the same machine (another clone included) rebuilds only what changed. In its
# depend mode, which reads the compiler's own list of headers: the mode that runs the
# preprocessor first cost a fresh machine about a minute over the three builds.
export CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=1 CCACHE_DEPEND=1
launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# Ninja for a new build folder; one made earlier keeps the generator it was made with.
generator_for() {
    if [ ! -f "$1/CMakeCache.txt" ]; then echo "-G Ninja"; fi
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_dependencies() {
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${packages[@]}"
}

# Built the Debian way: compile and link flags from dpkg-buildflags, every hardening
# feature on (stack protector, _FORTIFY_SOURCE, -z relro -z now). Without the file and
# debug prefix maps, whose values name the checkout's own path: with them, no other
# clone could reuse a compiled file from the cache.
configure() {
    export DEB_BUILD_MAINT_OPTIONS="hardening=+all reproducible=-fixfilepath,-fixdebugpath"
    cmake -S "$here" -B "$build" $(generator_for "$build") -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
        -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
        -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
        -DCMAKE_SHARED_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" "$@"
}

build() {
    configure "$@"
    cmake --build "$build" -j"$(nproc)"
}

# Only what the first window needs: the wizard and the simulator it runs under.
build_wizard() {
    configure
    cmake --build "$build" -j"$(nproc)" --target ravelo-setup ravelo-camera-sim
}

# The sources keep the style in .clang-format; a file that strays fails the check.
check_format() {
    (cd "$here" && find app usb command cloud desktop screens tests tools bench -name '*.cpp' -o -name '*.h' \
        | xargs clang-format --dry-run --Werror)
}

# Twice as many tests as cores: most of a test's time goes to waiting for a peer or a
# deadline, and with one test per core the suites kept the cores less than half busy.
run_tests() {
    ctest --test-dir "$1" --output-on-failure -j"$(($(nproc) * 2))"
}

# A second build folder: every sanitizer report fails the test that caused it.
sanitized_tests() {
    cmake -S "$here" -B "$sanitized_build" $(generator_for "$sanitized_build") -DCMAKE_BUILD_TYPE=Debug -DRAVELO_SANITIZE=ON -DRAVELO_WERROR=ON \
        -DRAVELO_BUILD_BENCHMARKS=OFF "${launcher[@]}"
    cmake --build "$sanitized_build" -j"$(nproc)"
    run_tests "$sanitized_build"
}

# The same source against Qt 6, compiled by Clang, warnings as errors.
qt6_clang_tests() {
    cmake -S "$here" -B "$qt6_build" $(generator_for "$qt6_build") -DCMAKE_BUILD_TYPE=Release -DRAVELO_QT_MAJOR=6 \
        -DCMAKE_CXX_COMPILER=clang++ -DRAVELO_WERROR=ON -DRAVELO_BUILD_BENCHMARKS=OFF "${launcher[@]}"
    cmake --build "$qt6_build" -j"$(nproc)"
    run_tests "$qt6_build"
}

launch() {
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display found: run it under a virtual one with: xvfb-run -a $0 run" >&2
        exit 1
    fi
    exec "$build/tools/camera-sim/ravelo-camera-sim" "$build/ravelo-setup"
}

# Runs one step and says how long it took, so that a slow build shows in the log.
timed() {
    local started=$SECONDS
    "$@"
    echo "== $*: $((SECONDS - started)) s" >&2
}

case "${1:-}" in
    run) install_dependencies; build_wizard; launch ;;
    test)
        timed install_dependencies
        timed check_format
        timed build -DRAVELO_WERROR=ON
        timed run_tests "$build"
        timed sanitized_tests
        timed qt6_clang_tests
        timed "$here/tools/check-package.sh" "$build"
        ;;
    *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac
