#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it as a distribution would:
# lintian without errors, valid AppStream metadata and desktop entry, the files a
# desktop and udev look for, and the program running from a scratch unpacking.
#   tools/check-package.sh [BUILD]
set -euo pipefail

build="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
cd "$build"
rm -f ravelo-setup_*.deb
cpack -G DEB
deb="$(ls ravelo-setup_*_amd64.deb)"

echo "lintian:"
lintian --fail-on error "$deb"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
appstreamcli validate --no-net "$scratch"/usr/share/metainfo/*.metainfo.xml
desktop-file-validate "$scratch/usr/share/applications/ravelo-setup.desktop"

for file in usr/bin/ravelo-setup \
    usr/share/applications/ravelo-setup.desktop \
    usr/share/metainfo/example.ravelo.Setup.metainfo.xml \
    usr/share/icons/hicolor/48x48/apps/ravelo-setup.png \
    usr/share/icons/hicolor/128x128/apps/ravelo-setup.png \
    usr/share/icons/hicolor/256x256/apps/ravelo-setup.png \
    usr/share/icons/hicolor/scalable/apps/ravelo-setup.svg \
    usr/lib/udev/rules.d/70-ravelo-camera.rules; do
    test -e "$scratch/$file" || { echo "missing from the package: $file" >&2; exit 1; }
done
# The commands themselves, not a word in a comment: reload the rules, then apply them.
for script in postinst postrm; do
    text="$(dpkg-deb --info "$deb" "$script")"
    for command in "udevadm control --reload-rules" "udevadm trigger --subsystem-match=usb"; do
        printf '%s\n' "$text" | grep -v '^[[:space:]]*#' | grep -q "^[[:space:]]*$command" \
            || { echo "$script does not run: $command" >&2; exit 1; }
    done
done
dpkg-deb --field "$deb" Recommends | grep -q "fonts-noto-cjk | fonts-ipafont-gothic" \
    || { echo "the package does not recommend a Japanese font" >&2; exit 1; }
# Qt's own Japanese texts and its Wayland platform, from the packages of the Qt major the
# build was made against.
major="$(sed -n 's/^RAVELO_QT_MAJOR:STRING=//p' CMakeCache.txt)"
for qt_package in $([ "$major" = 6 ] && echo qt6-translations-l10n qt6-wayland \
                    || echo qttranslations5-l10n qtwayland5); do
    dpkg-deb --field "$deb" Recommends | grep -qw "$qt_package" \
        || { echo "the package does not recommend $qt_package" >&2; exit 1; }
done
# Fortify cannot show in a program whose only fortifiable calls are memcpy and memmove of
# sizes known at run time; Debian 12's dpkg-buildflags has no control-flow protection.
# The build's flags carry both _FORTIFY_SOURCE and the rest (tools/setup.sh).
echo "hardening-check:"
hardening-check --nofortify --nocfprotection "$scratch/usr/bin/ravelo-setup"
file "$scratch/usr/bin/ravelo-setup" | grep -q ", stripped" || { echo "the shipped binary is not stripped" >&2; exit 1; }
file ravelo-setup.debug | grep -q "with debug_info" || { echo "no split debug symbols" >&2; exit 1; }
version="$("$scratch/usr/bin/ravelo-setup" --version)"
test "$version" = "ravelo-setup $(dpkg-deb --field "$deb" Version)" || { echo "unexpected: $version" >&2; exit 1; }
echo "package $deb checked: $version"
