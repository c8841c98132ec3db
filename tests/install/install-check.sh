#!/usr/bin/env bash
# Installs a build into a temporary root with DESTDIR, under a prefix with a
# space in it, and checks what a user gets: exactly the expected files, a valid
# menu entry starting the installed binary, valid AppStream metadata, the
# installed binary's --version and unknown-option answers, the login
# item a first live launch writes, and that uninstall.sh removes exactly the
# installation and the login item, keeping the readings unless purged.
# Usage: install-check.sh <source dir> <build dir> <version>
set -euo pipefail
source_dir=$1
build_dir=$2
version=$3

work=$(mktemp -d)
app_pid=
cleanup() {
  if [[ -n $app_pid ]] && kill -0 "$app_pid" 2>/dev/null; then
    kill -KILL "$app_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

prefix="/opt/ostrel check"
stage=$work/stage
DESTDIR=$stage cmake --install "$build_dir" --prefix "$prefix" >/dev/null
installed=$stage$prefix

# 1. Exactly these files.
expected=(bin/ostrel libexec/ostrel/ostrel-app share/applications/ostrel.desktop share/metainfo/org.ostrel.Ostrel.metainfo.xml
  share/doc/ostrel/LICENSE share/doc/ostrel/copyright share/doc/ostrel/changelog.gz
  share/icons/hicolor/scalable/apps/ostrel.svg)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/ostrel.png")
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$installed" && find . -type f -printf '%P\n' | sort) ||
  fail "the installed files differ from the expected list (< expected, > installed)"
[[ -x $installed/bin/ostrel && -x $installed/libexec/ostrel/ostrel-app ]] || fail "the programs are not executable"

# 2. The menu entry and the metadata.
entry=$installed/share/applications/ostrel.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate refused the installed entry"
grep -qx "Exec=\"$prefix/bin/ostrel\"" "$entry" || fail "Exec does not name the installed binary: $(grep Exec= "$entry")"
appstreamcli validate --no-net "$installed/share/metainfo/org.ostrel.Ostrel.metainfo.xml" >/dev/null ||
  fail "appstreamcli refused the metainfo"

# 3. The command line of the installed binary, with no display at all.
env -u DISPLAY -u WAYLAND_DISPLAY "$installed/bin/ostrel" --version | grep -qx "ostrel $version" ||
  fail "--version does not print ostrel $version"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY "$installed/bin/ostrel" --bogus >"$work/out" 2>"$work/err" || status=$?
[[ $status == 2 ]] || fail "an unknown option exited with $status instead of 2"
head -1 "$work/err" | grep -qx 'ostrel: unknown option --bogus' || fail "unknown option message: $(head -1 "$work/err")"

# 4. A first live launch writes the login item for the installed binary.
home=$work/home
mkdir -p "$home"
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data
login_item=$XDG_CONFIG_HOME/autostart/ostrel.desktop
env -u DBUS_SESSION_BUS_ADDRESS -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen PATH=/usr/bin:/bin SHELL=/bin/sh \
  "$installed/bin/ostrel" >"$work/app.log" 2>&1 &
app_pid=$!
for _ in $(seq 150); do
  [[ -s $login_item ]] && break
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
kill -TERM "$app_pid" 2>/dev/null || true
wait "$app_pid" || true
app_pid=
[[ -s $login_item ]] || fail "the first live launch wrote no login item; its output: $(cat "$work/app.log")"
desktop-file-validate "$login_item" || fail "desktop-file-validate refused the login item"
grep -qx "Exec=\"$installed/bin/ostrel\"" "$login_item" || fail "the login item starts $(grep Exec= "$login_item")"

# 5. Uninstalling removes the installation and the login item, and keeps the
#    readings until asked.
mkdir -p "$XDG_DATA_HOME/Ostrel"
echo '{}' >"$XDG_DATA_HOME/Ostrel/readings.json"
DESTDIR=$stage OSTREL_BUILD_DIR=$build_dir "$source_dir/scripts/uninstall.sh" >/dev/null
left=$(find "$stage" -type f)
[[ -z $left ]] || fail "uninstall left: $left"
[[ ! -d $installed/share/doc/ostrel ]] || fail "uninstall left the documentation folder"
[[ ! -e $login_item ]] || fail "uninstall left the login item"
[[ -f $XDG_DATA_HOME/Ostrel/readings.json ]] || fail "uninstall removed the readings without --purge"
DESTDIR=$stage OSTREL_BUILD_DIR=$build_dir "$source_dir/scripts/uninstall.sh" --purge >/dev/null
[[ ! -e $XDG_DATA_HOME/Ostrel && ! -e $XDG_CONFIG_HOME/Ostrel ]] || fail "--purge kept the readings or settings"
echo "installation checked"
