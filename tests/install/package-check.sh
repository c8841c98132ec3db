#!/usr/bin/env bash
# Builds the Debian package from a release build and checks it: its control
# fields (shared-library dependencies, the recommended helpers, no build-tree
# paths, no maintainer scripts), its file list, and that the binary extracted
# into a temporary root runs. lintian errors fail the build script itself.
# Usage: package-check.sh <source dir> <release build dir> <version>
set -euo pipefail
source_dir=$1
build_dir=$2
version=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

deb=$("$source_dir/packaging/build-deb.sh" "$build_dir")
[[ $(basename "$deb") == "ostrel_${version}_amd64.deb" ]] || fail "unexpected package name $deb"

dpkg-deb --info "$deb" >"$work/info"
field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == ostrel && $(field Version) == "$version" ]] || fail "wrong name or version"
for library in libqt6widgets6 libqt6svg6 libqt6dbus6 libcurl4 libicu72 libc6; do
  field Depends | grep -q "$library" || fail "Depends lacks $library: $(field Depends)"
done
for helper in libsecret-tools notification-daemon fonts-inter; do
  field Recommends | grep -q "$helper" || fail "Recommends lacks $helper"
done
if grep -qF -e "$build_dir" -e "$source_dir" "$work/info"; then
  fail "the control data names the build tree"
fi
dpkg-deb --ctrl-tarfile "$deb" | tar -t >"$work/control-files"
if grep -qE '(^|/)(preinst|postinst|prerm|postrm|config)$' "$work/control-files"; then
  fail "the package has maintainer scripts: $(cat "$work/control-files")"
fi

dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|' | grep -v '/$' | sort >"$work/contents"
for path in /usr/bin/ostrel /usr/libexec/ostrel/ostrel-app /usr/share/applications/ostrel.desktop /usr/share/metainfo/org.ostrel.Ostrel.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/ostrel.svg /usr/share/icons/hicolor/48x48/apps/ostrel.png \
  /usr/share/doc/ostrel/copyright /usr/share/doc/ostrel/changelog.gz; do
  grep -qx "$path" "$work/contents" || fail "the package lacks $path"
done
if grep -v '^/usr/' "$work/contents"; then
  fail "the package installs outside /usr"
fi

dpkg-deb --extract "$deb" "$work/root"
grep -qx 'Exec="/usr/bin/ostrel"' "$work/root/usr/share/applications/ostrel.desktop" ||
  fail "the packaged entry starts $(grep Exec= "$work/root/usr/share/applications/ostrel.desktop")"
if grep -rqF -e "$build_dir" -e "$source_dir" "$work/root/usr/share"; then
  fail "a packaged file names the build tree"
fi
env -u DISPLAY -u WAYLAND_DISPLAY "$work/root/usr/bin/ostrel" --version | grep -qx "ostrel $version" ||
  fail "the packaged binary does not print ostrel $version"
echo "package checked: $deb"
