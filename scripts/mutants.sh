#!/usr/bin/env bash
# Measures how many planted faults the test suites catch. Each mutation of
# scripts/mutants.list (a file named by its base name, an exact snippet and its
# replacement) is applied in turn to a scratch copy of the working tree under
# build/mutants/, which is built incrementally (the debug preset) and
# tested with ctest: the test binaries and the smoke tests, not the tray
# scripts, the install and package checks or the real-cli suites. For each
# mutant it prints the suites whose tests failed, SURVIVED, or "not
# applicable" when the snippet is not found exactly once; then "caught N of M".
# The working tree itself is never changed. Not part of CI: a full sweep takes
# most of an hour on two cores.
#
#   scripts/mutants.sh [--only PATTERN] [-j N] [--timeout SECONDS] [--first] [--check]
#
# --only PATTERN    only the mutants whose "File.cpp: rule" line matches the
#                   extended regular expression (grep -E -i)
# -j N              build and test jobs, 1 or 2 (default 2)
# --timeout SECONDS time-out of one test (default 60); a mutant's whole test run
#                   is cut off after ten times that
# --first           stop a mutant's tests at its first failing test (the core
#                   suites first, then app, then integration): the same score
#                   in less time, but only the first catchers are named
# --check           only check that every snippet applies, without building
#
# MUTANTS_LIST names another list; MUTANTS_DIR another scratch folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

list=${MUTANTS_LIST:-scripts/mutants.list}
work=${MUTANTS_DIR:-$root/build/mutants}
only=""
jobs=2
test_timeout=60
check_only=false
first=()
while (($#)); do
  case $1 in
    --only) only=${2:?--only needs a pattern}; shift ;;
    -j) jobs=${2:?-j needs a number}; shift ;;
    -j[0-9]*) jobs=${1#-j} ;;
    --timeout) test_timeout=${2:?--timeout needs seconds}; shift ;;
    --check) check_only=true ;;
    --first) first=(--stop-on-failure) ;;
    *)
      echo "usage: $0 [--only PATTERN] [-j N] [--timeout SECONDS] [--first] [--check]" >&2
      exit 2
      ;;
  esac
  shift
done
if [[ ! $jobs =~ ^[0-9]+$ ]] || ((jobs < 1)); then
  echo "mutants: -j wants a positive number" >&2
  exit 2
fi
if ((jobs > 2)); then
  echo "mutants: -j $jobs lowered to 2 (the machine is shared)" >&2
  jobs=2
fi
if [[ ! $test_timeout =~ ^[1-9][0-9]*$ ]]; then
  echo "mutants: --timeout wants whole seconds" >&2
  exit 2
fi

# ---- the list ---------------------------------------------------------------
# Parallel arrays, one entry per mutant.
files=() rules=() originals=() replacements=()
parse_list() {
  local line number=0 file="" rule="" original="" replacement="" has_original=false has_replacement=false
  flush() {
    if [[ -n $file ]]; then
      if ! $has_original || ! $has_replacement; then
        echo "mutants: $list: the mutant \"$file: $rule\" needs - and + lines" >&2
        exit 2
      fi
      files+=("$file") rules+=("$rule") originals+=("$original") replacements+=("$replacement")
    fi
    file="" rule="" original="" replacement="" has_original=false has_replacement=false
  }
  while IFS= read -r line || [[ -n $line ]]; do
    number=$((number + 1))
    case $line in
      "@ "*)
        flush
        file=${line#@ }
        file=${file%%:*}
        rule=${line#*: }
        ;;
      "- "* | "-")
        [[ -n $file ]] || { echo "mutants: $list:$number: a snippet outside a mutant" >&2; exit 2; }
        if $has_replacement; then
          echo "mutants: $list:$number: - after +" >&2
          exit 2
        fi
        if $has_original; then original+=$'\n'; fi
        local text=${line#-}
        original+=${text# }
        has_original=true
        ;;
      "+ "* | "+")
        [[ -n $file ]] || { echo "mutants: $list:$number: a replacement outside a mutant" >&2; exit 2; }
        if $has_replacement; then replacement+=$'\n'; fi
        local text=${line#+}
        replacement+=${text# }
        has_replacement=true
        ;;
      "" | "#"*) ;;
      *)
        echo "mutants: $list:$number: cannot read: $line" >&2
        exit 2
        ;;
    esac
  done <"$list"
  flush
}
parse_list
selected=()
for i in "${!files[@]}"; do
  if [[ -z $only ]] || grep -Eiq -- "$only" <<<"${files[i]}: ${rules[i]}"; then
    selected+=("$i")
  fi
done
if ((${#selected[@]} == 0)); then
  echo "mutants: no mutant matches \"$only\"" >&2
  exit 2
fi

# ---- the files --------------------------------------------------------------
mapfile -d '' sources < <(git ls-files -z -co --exclude-standard)
declare -A code_paths=()
declare -A clashes=()
for path in "${sources[@]}"; do
  [[ $path == core/* || $path == Ostrel/* ]] || continue
  base=${path##*/}
  if [[ -n ${code_paths[$base]:-} ]]; then clashes[$base]=1; fi
  code_paths[$base]=$path
done

# How often the snippet occurs in the text: 0, 1 or 2 (two or more).
occurrences() {
  local text=$1 snippet=$2 count=0
  while ((count < 2)) && [[ $text == *"$snippet"* ]]; do
    text=${text#*"$snippet"}
    count=$((count + 1))
  done
  echo "$count"
}

# Sets `path` and `content` for mutant $1, or `reason` when it cannot apply.
locate() {
  local i=$1 base=${files[$1]}
  path="" content="" reason=""
  if [[ -n ${clashes[$base]:-} ]]; then
    reason="more than one $base"
    return 1
  fi
  path=${code_paths[$base]:-}
  if [[ -z $path ]]; then
    reason="no $base"
    return 1
  fi
  IFS= read -r -d '' content <"$path" || true
  case $(occurrences "$content" "${originals[i]}") in
    0) reason="snippet not found in $path"; return 1 ;;
    2) reason="snippet found more than once in $path"; return 1 ;;
  esac
}

label() { printf '%s: %s' "${files[$1]}" "${rules[$1]}"; }

if $check_only; then
  bad=0
  for i in "${selected[@]}"; do
    if locate "$i"; then
      printf 'ok              %s\n' "$(label "$i")"
    else
      printf 'not applicable  %s (%s)\n' "$(label "$i")" "$reason"
      bad=$((bad + 1))
    fi
  done
  echo "${#selected[@]} mutants, $bad not applicable"
  ((bad == 0))
  exit
fi

# ---- the scratch copy -------------------------------------------------------
# The copy keeps the source layout with its build folder at build/debug inside
# it, so compiler caches shared with the ordinary build see the same relative
# paths. Files are copied only when their content differs, so unchanged ones
# keep their times and the build stays incremental between sweeps.
tree=$work/tree
build=$tree/build/debug
logs=$work/logs
mkdir -p "$tree" "$logs"

mutated_path=""
mutated_original=""
restore() {
  if [[ -n $mutated_path ]]; then
    printf '%s' "$mutated_original" >"$tree/$mutated_path"
    mutated_path=""
  fi
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

sync_tree() {
  local path
  declare -A wanted=()
  for path in "${sources[@]}"; do
    wanted[$path]=1
    [[ -e $path || -L $path ]] || continue
    if [[ ! -e $tree/$path ]] || ! cmp -s "$path" "$tree/$path"; then
      mkdir -p "$(dirname "$tree/$path")"
      rm -f "$tree/$path"
      cp -P --preserve=mode "$path" "$tree/$path"
    fi
  done
  while IFS= read -r -d '' path; do
    path=${path#"$tree"/}
    [[ -n ${wanted[$path]:-} ]] || rm -f "$tree/$path"
  done < <(find "$tree" -path "$tree/build" -prune -o \( -type f -o -type l \) -print0)
}

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

configure_and_build() {
  (cd "$tree" && cmake --preset debug -DOSTREL_BUILD_BENCH=OFF "${launcher[@]}") \
    >"$logs/configure.log" 2>&1 || { echo "mutants: configuring failed; see $logs/configure.log" >&2; exit 1; }
}

build_tree() {
  cmake --build "$build" -j "$jobs" >"$1" 2>&1
}

# What ctest runs: the test binaries and the smoke tests.
excluded_labels='^(tray|install|package|real-cli)$'
run_tests() {
  local log=$1
  shift
  rm -f "$build/Testing/Temporary/LastTestsFailed.log"
  if (($# == 0)); then
    timeout --kill-after=10 $((test_timeout * 10)) \
      ctest --test-dir "$build" -j "$jobs" -LE "$excluded_labels" --timeout "$test_timeout" --no-tests=error \
      >"$log" 2>&1
    return
  fi
  # Stopping at the first failure: the quick suites first, so that a mutant
  # the core tests catch never waits for the real processes and buses.
  : >"$log"
  local label
  for label in core app integration; do
    rm -f "$build/Testing/Temporary/LastTestsFailed.log"
    timeout --kill-after=10 $((test_timeout * 10)) \
      ctest --test-dir "$build" -j "$jobs" -L "^$label\$" -LE "$excluded_labels" --timeout "$test_timeout" \
      --no-tests=ignore "$@" >>"$log" 2>&1 || return
  done
}

# The names of the failed tests of the last run, one a line.
failed_tests() {
  local failed=$build/Testing/Temporary/LastTestsFailed.log
  [[ -f $failed ]] && cut -d: -f2- "$failed" | sort -u
  return 0
}

# The tests of the last run that ran out of time, one a line (from its log).
timed_out_tests() {
  sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Timeout)$/\1/p' "$1" | sort -u
}

# A test that ran out of time on a busy machine may be only slow: those are run
# again alone with five times the time-out, and only those that fail again
# count. Prints the names of the failed tests that stand.
confirmed_failures() {
  local log=$1 failed timed_out name pattern="" retry=$2
  failed=$(failed_tests)
  timed_out=$(timed_out_tests "$log")
  if [[ -z $timed_out ]]; then
    printf '%s\n' "$failed"
    return
  fi
  while IFS= read -r name; do
    [[ -n $name ]] || continue
    pattern+=${pattern:+|}$(sed 's/[][\.*^$+?(){}|]/\\&/g' <<<"$name")
  done <<<"$timed_out"
  rm -f "$build/Testing/Temporary/LastTestsFailed.log"
  timeout --kill-after=10 $((test_timeout * 10)) \
    ctest --test-dir "$build" -j "$jobs" -R "^($pattern)\$" --timeout $((test_timeout * 5)) >"$retry" 2>&1 || true
  local again
  again=$(failed_tests)
  # Failures that were not time-outs stand; time-outs stand when they fail again.
  comm -23 <(printf '%s\n' "$failed" | sort -u) <(printf '%s\n' "$timed_out")
  printf '%s\n' "$again"
}

# Suites from test names: Suite.Case and Prefix/Suite.Case/Param give Suite;
# the smoke tests (lower-case, app.version) keep their whole name.
suites_of() {
  local name suite
  while IFS= read -r name; do
    [[ -n $name ]] || continue
    if [[ $name =~ ^[a-z] ]]; then
      echo "$name"
      continue
    fi
    name=${name#*/}
    [[ $name == */* && ${name%%/*} != *.* ]] && name=${name#*/}
    suite=${name%%.*}
    echo "$suite"
  done | sort -u | paste -sd, - | sed 's/,/, /g'
}

started=$(date +%s)
echo "Scratch copy in $tree"
sync_tree
configure_and_build
echo "Building the unmutated tree ..."
build_tree "$logs/baseline-build.log" || { echo "mutants: the unmutated tree does not build; see $logs/baseline-build.log" >&2; exit 1; }
echo "Testing the unmutated tree ..."
baseline_started=$(date +%s)
run_tests "$logs/baseline-tests.log" || true
declare -A baseline_failed=()
while IFS= read -r name; do
  [[ -n $name ]] && baseline_failed[$name]=1
done < <(failed_tests)
test_count=$(sed -n 's/.*tests passed, [0-9]* tests failed out of \([0-9]*\).*/\1/p' "$logs/baseline-tests.log")
echo "Unmutated: ${test_count:-?} tests in $(($(date +%s) - baseline_started)) s"
if ((${#baseline_failed[@]} > 0)); then
  echo "WARNING: these fail without any mutation and are not counted: ${!baseline_failed[*]}" >&2
fi

caught=0 survived=0 inapplicable=0 broken=0 count=0
survivors=() summary=()
for i in "${selected[@]}"; do
  count=$((count + 1))
  prefix=$(printf '[%d/%d] %s' "$count" "${#selected[@]}" "$(label "$i")")
  if ! locate "$i"; then
    inapplicable=$((inapplicable + 1))
    echo "$prefix: not applicable ($reason)"
    summary+=("not applicable	$(label "$i")")
    continue
  fi
  mutant_started=$(date +%s)
  mutated_original=$content
  mutated_path=$path
  before=${content%%"${originals[i]}"*}
  after=${content#*"${originals[i]}"}
  printf '%s' "$before${replacements[i]}$after" >"$tree/$path"
  log=$logs/mutant-$((i + 1))
  if ! build_tree "$log.build.log"; then
    restore
    broken=$((broken + 1))
    echo "$prefix: does not build ($log.build.log), not counted"
    summary+=("does not build	$(label "$i")")
    continue
  fi
  status=0
  run_tests "$log.tests.log" "${first[@]}" || status=$?
  restore
  failed=$(confirmed_failures "$log.tests.log" "$log.retry.log" | sort -u |
    while IFS= read -r name; do [[ -z $name || -n ${baseline_failed[$name]:-} ]] || echo "$name"; done)
  seconds=$(($(date +%s) - mutant_started))
  if [[ -n $failed ]]; then
    caught=$((caught + 1))
    suites=$(suites_of <<<"$failed")
    tests=$(wc -l <<<"$failed")
    echo "$prefix: caught by $suites ($tests test$( ((tests == 1)) || echo s), ${seconds} s)"
    summary+=("caught by $suites	$(label "$i")")
  elif ((status == 124 || status == 137)); then
    # The whole run was cut off before ctest could name a test.
    caught=$((caught + 1))
    echo "$prefix: caught by the time-out of the whole run (${seconds} s)"
    summary+=("caught by the time-out	$(label "$i")")
  else
    survived=$((survived + 1))
    survivors+=("$(label "$i")")
    echo "$prefix: SURVIVED (${seconds} s)"
    summary+=("SURVIVED	$(label "$i")")
  fi
done

# The scratch copy's restored sources are rebuilt by the next sweep.
elapsed=$(($(date +%s) - started))
echo
echo "caught $caught of $((caught + survived))"
echo "$survived survived, $inapplicable not applicable, $broken did not build; $((elapsed / 60)) min $((elapsed % 60)) s"
if ((${#survivors[@]} > 0)); then
  echo "Survivors:"
  printf '  %s\n' "${survivors[@]}"
fi
printf '%s\n' "${summary[@]}" >"$work/results.tsv"
