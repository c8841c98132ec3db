#!/usr/bin/env bash
# Removes what scripts/run.sh installed: exactly the files listed in the
# release build's install_manifest.txt, and the login item. The readings, the
# activity cache and the settings stay unless --purge is given.
set -euo pipefail
cd "$(dirname "$0")/.."

purge=false
case ${1:-} in
  "") ;;
  --purge) purge=true ;;
  *)
    echo "usage: $0 [--purge]" >&2
    exit 2
    ;;
esac

# OSTREL_BUILD_DIR names another build folder whose installation to undo.
manifest=${OSTREL_BUILD_DIR:-build/release}/install_manifest.txt
if [[ ! -f $manifest ]]; then
  echo "uninstall: $manifest is missing: nothing was installed from this build" >&2
  exit 1
fi

config_home=${XDG_CONFIG_HOME:-$HOME/.config}
data_home=${XDG_DATA_HOME:-$HOME/.local/share}

while IFS= read -r file || [[ -n $file ]]; do
  [[ -n $file ]] || continue
  # An installation staged with DESTDIR is undone with the same DESTDIR.
  file=${DESTDIR:-}$file
  if [[ -f $file || -L $file ]]; then
    rm -f -- "$file"
    echo "removed $file"
  fi
  # The folders that are Ostrel's alone; the others are shared (bin, icons…).
  if [[ $(dirname -- "$file") == */share/doc/ostrel || $(dirname -- "$file") == */libexec/ostrel ]]; then
    rmdir --ignore-fail-on-non-empty -- "$(dirname -- "$file")" 2>/dev/null || true
  fi
done <"$manifest"

login_item=$config_home/autostart/ostrel.desktop
if [[ -f $login_item ]]; then
  rm -f -- "$login_item"
  echo "removed $login_item"
fi

# The icon cache of the menu, where the desktop keeps one.
if command -v gtk-update-icon-cache >/dev/null && [[ -f $data_home/icons/hicolor/icon-theme.cache ]]; then
  gtk-update-icon-cache -q -t "$data_home/icons/hicolor" || true
fi

if $purge; then
  for folder in "$config_home/Ostrel" "$data_home/Ostrel"; do
    if [[ -d $folder ]]; then
      rm -rf -- "$folder"
      echo "removed $folder"
    fi
  done
else
  echo "kept the settings ($config_home/Ostrel) and readings ($data_home/Ostrel); --purge removes them"
fi
