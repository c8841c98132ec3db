#!/usr/bin/env bash
# Checks that the release before named accounts still reads the readings file
# this tree writes, and the other way round. Named accounts follow the history
# under a key of their own, which that release passes over: for the default
# accounts it must read exactly what this tree reads, from files with one named
# account per tool, four Claude accounts, two weeks of history per account,
# entries a later release wrote that this one passes over too, and named
# accounts alone; and a file that release wrote must read here as the same
# default accounts, the same bytes when written again.
#
# That release's model and file calls are taken from git (never kept in the
# tree) into build/compat-previous/ and built with ReadingsProbe.cpp (about two
# minutes on a busy two-core machine with an empty ccache; seconds afterwards,
# as the sources are taken out once per commit), and compared with this tree's
# drivers (tests/compat/CMakeLists.txt), built in the given build folder.
#
# A checkout without that commit in its history (a shallow clone, an exported
# tree) cannot build it: the check then says it is skipped and why, and exits 0,
# so that CI on such a checkout still passes.
#
#   tests/compat/previous-decoder.sh [build folder]   (default build/debug, configured)
set -euo pipefail
cd "$(dirname "$0")/../.."

# The last commit before named accounts.
previous=519f27a887a43d5e2ab46e63dcf7e08f5b1650b2
build=${1:-build/debug}

if ! command -v git >/dev/null || ! git cat-file -e "$previous^{commit}" 2>/dev/null; then
  echo "previous-decoder: skipped: commit ${previous:0:12}, the release before named accounts, is not in this checkout's history (shallow or exported); a full clone runs this check"
  exit 0
fi
if [[ ! -f $build/CMakeCache.txt ]]; then
  echo "previous-decoder: $build is not a configured build folder (cmake --preset debug)" >&2
  exit 2
fi

scratch=$PWD/build/compat-previous
source=$scratch/source-$previous
if [[ ! -f $source/.complete ]]; then
  rm -rf "$scratch"/source-*
  mkdir -p "$source"
  # Dated now (-m), not at the commit, so that the build sees a fresh copy as changed.
  git archive "$previous" core/posix core/model | tar -x -m -C "$source"
  touch "$source/.complete"
fi
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# The builds' output is shown only when they fail.
quietly() {
  "$@" >"$scratch/step.log" 2>&1 || {
    cat "$scratch/step.log"
    return 1
  }
}
quietly cmake -S tests/compat/previous -B "$scratch/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DOSTREL_PREVIOUS_SOURCE="$source" "${launcher[@]}"
quietly nice cmake --build "$scratch/build" -j2
quietly nice cmake --build "$build" -j2 --target readings_probe named_account_files

# In a sanitizer build, the drivers run as the asan test preset runs the suites.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
declare -A probe=([previous]=$scratch/build/readings_probe [current]=$build/tests/compat/readings_probe)
declare -A title=([previous]="the previous release" [current]="this tree")

run=$scratch/run
rm -rf "$run"
mkdir -p "$run/written"
if ! "$build/tests/compat/named_account_files" "$run/written" ||
  ! "${probe[previous]}" write "$run/written/previous-release.json"; then
  echo "previous-decoder: the files to compare could not be written"
  exit 1
fi

failures=0
fail() {
  echo "FAIL $1"
  failures=$((failures + 1))
}
for file in "$run"/written/*.json; do
  shape=$(basename "$file" .json)
  for reader in previous current; do
    # Each reader loads its own copy: a run sets a file it cannot read aside.
    mkdir -p "$run/$reader"
    cp "$file" "$run/$reader/$shape.json"
    if ! "${probe[$reader]}" read "$run/$reader/$shape.json" >"$run/$reader/$shape.read" 2>"$run/$reader/$shape.err"; then
      fail "$shape: ${title[$reader]} does not read it: $(cat "$run/$reader/$shape.err")"
      continue 2
    fi
  done
  if ! diff -q "$run/previous/$shape.read" "$run/current/$shape.read" >/dev/null; then
    fail "$shape: the previous release reads other default accounts than this tree ($run/previous/$shape.read, $run/current/$shape.read)"
  elif ! diff -q "${file%.json}.expected" "$run/current/$shape.read" >/dev/null; then
    fail "$shape: both read other default accounts than were written (${file%.json}.expected, $run/current/$shape.read)"
  elif [[ $shape == previous-release ]] && ! cmp -s "$file" <(head -n 1 "$run/current/$shape.read" | tr -d '\n'); then
    fail "$shape: this tree writes the previous release's file again with other bytes"
  else
    echo "ok   $shape"
  fi
done
if ((failures > 0)); then
  echo "previous-decoder: $failures of the files above failed"
  exit 1
fi
echo "previous-decoder: commit ${previous:0:12} reads this tree's readings files alike, and this tree reads its file"
