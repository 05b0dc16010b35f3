#!/usr/bin/env bash
# Runs the fuzz targets (fuzz/*_fuzz.cpp).
#
#   scripts/fuzz.sh [SECONDS]   each target for SECONDS (default 600) in the
#                               fast build (fuzz-fast: no AddressSanitizer),
#                               from and into its kept corpus
#                               build/fuzz/corpus/<target>, which is then
#                               minimized and replayed whole under
#                               AddressSanitizer (the fuzz build); prints
#                               executions, executions a second and edges
#   scripts/fuzz.sh --ci        every target's fuzz/regressions/<target>/
#                               replayed, then a fixed number of inputs from
#                               each target's seeds, in the fuzz build alone
#                               (a few minutes in all)
#   scripts/fuzz.sh --ci TARGET ... / scripts/fuzz.sh SECONDS TARGET ...
#                               only the named targets (e.g. setup_header)
#
# Two targets run at a time (FUZZ_JOBS=N for another number). Seeds are made
# afresh by fuzz/make_seeds.py from the host build's tools. A crash, timeout
# or leak is minimized into fuzz/regressions/<target>/, from where every later
# run replays it; the script then exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=long
seconds=600
if [ "${1:-}" = "--ci" ]; then
  mode=ci
  shift
elif [ -n "${1:-}" ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi

all_targets=(setup_header setup_xml system_info state_file request_path project_json project_file
             device_zip package_check cabinet_members package)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
parallel=${FUZZ_JOBS:-2}

# Inputs per target in the CI run: the slower targets (a whole project
# record, a cabinet through libmspack, a package through both device
# threads, an installer state with its project record) get fewer.
ci_runs() {
  case "$1" in
    project_file|cabinet_members|package|state_file) echo 5000 ;;
    *) echo 30000 ;;
  esac
}

scripts/setup-host.sh
scripts/setup-fuzz.sh

build_jobs=$(nproc)
build() {  # PRESET DEPS_SANITIZER
  echo "=== fuzz: $1: instrumented third-party readers, configure and build"
  scripts/fuzz-deps.sh "build/$1" "$2"
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$build_jobs"
}
build fuzz address
[ "$mode" = ci ] || build fuzz-fast none
# The seeds are made with the host build's own programs.
if [ ! -x build/host/wizard/ui/zephyrkit ] || [ ! -x build/host/wizard/ui/zephyrkit-project ]; then
  cmake --preset host >/dev/null
  cmake --build --preset host -j "$build_jobs" --target zephyrkit zephyrkit-project
fi
python3 fuzz/make_seeds.py build/host build/fuzz/seeds

asan=build/fuzz/fuzz
fast=build/fuzz-fast/fuzz

# Keeps a finding: minimized by the build that found it into
# fuzz/regressions/<target>/.
keep_finding() {  # TARGET EXE ARTIFACTS
  local crash minimized
  crash=$(find "$3" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' \
              -o -name 'leak-*' \) | head -n 1)
  [ -n "$crash" ] || return 0
  minimized=fuzz/regressions/$1/$(basename "$crash")
  "$2" -minimize_crash=1 -runs=20000 -timeout=10 -exact_artifact_path="$minimized" "$crash" \
    >"$3/minimize.log" 2>&1 || true
  [ -s "$minimized" ] || cp "$crash" "$minimized"
  echo "=== $1: the input is kept as $minimized"
}

final_stat() {  # NAME LOG
  sed -n "s/^stat::$1: *//p" "$2" | tail -n 1
}

# One target's run; its outcome goes to ARTIFACTS/summary, a finding to
# ARTIFACTS/failed.
run_target() {
  local t=$1
  local seeds=build/fuzz/seeds/$t regressions=fuzz/regressions/$t
  local artifacts=build/fuzz/artifacts/$t
  mkdir -p "$seeds" "$regressions" "$artifacts"
  rm -f "$artifacts"/crash-* "$artifacts"/timeout-* "$artifacts"/oom-* "$artifacts"/leak-* \
    "$artifacts/failed" "$artifacts/summary"
  local dict=()
  [ -f "fuzz/dictionaries/$t.dict" ] && dict=(-dict="fuzz/dictionaries/$t.dict")
  local common=(-timeout=10 -rss_limit_mb=2560 -print_final_stats=1 -artifact_prefix="$artifacts/"
                "${dict[@]}")
  local log=$artifacts/run.log status=0

  if [ "$mode" = ci ]; then
    local corpus
    corpus=$(mktemp -d)
    echo "=== $t: $(ci_runs "$t") inputs from the seeds"
    "$asan/${t}_fuzz" "${common[@]}" -runs="$(ci_runs "$t")" -seed=1 "$corpus" "$seeds" \
      "$regressions" >"$log" 2>&1 || status=$?
    rm -rf "$corpus"
    printf '%-16s %12s executions %8s exec/s\n' "$t" "$(final_stat number_of_executed_units "$log")" \
      "$(final_stat average_exec_per_sec "$log")" >"$artifacts/summary"
    if [ "$status" -ne 0 ]; then
      tail -n 40 "$log"
      keep_finding "$t" "$asan/${t}_fuzz" "$artifacts"
      echo "$t" >"$artifacts/failed"
    fi
    return 0
  fi

  # Grown by the fast build from the kept corpus, then minimized.
  local corpus=build/fuzz/corpus/$t
  mkdir -p "$corpus"
  echo "=== $t: ${seconds} s in the fast build"
  "$fast/${t}_fuzz" "${common[@]}" -max_total_time="$seconds" "$corpus" "$seeds" "$regressions" \
    >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    keep_finding "$t" "$fast/${t}_fuzz" "$artifacts"
    echo "$t" >"$artifacts/failed"
  fi
  rm -rf "$corpus.merged"
  mkdir -p "$corpus.merged"
  "$fast/${t}_fuzz" -merge=1 -timeout=10 -rss_limit_mb=2560 "$corpus.merged" "$corpus" "$seeds" \
    >"$artifacts/merge.log" 2>&1 && { rm -rf "$corpus"; mv "$corpus.merged" "$corpus"; } ||
    rm -rf "$corpus.merged"
  local edges
  edges=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | sed 's/cov: //' || true)

  # Every kept input once under AddressSanitizer.
  local replay=$artifacts/replay.log kept
  kept=$(find "$corpus" -type f | wc -l)
  echo "=== $t: replaying the corpus of $kept inputs under AddressSanitizer"
  if ! "$asan/${t}_fuzz" -runs=0 -timeout=10 -rss_limit_mb=2560 -artifact_prefix="$artifacts/" \
       "$corpus" >"$replay" 2>&1; then
    tail -n 40 "$replay"
    keep_finding "$t" "$asan/${t}_fuzz" "$artifacts"
    echo "$t (AddressSanitizer)" >"$artifacts/failed"
  fi
  printf '%-16s %12s executions %8s exec/s %6s edges %7s kept\n' "$t" \
    "$(final_stat number_of_executed_units "$log")" "$(final_stat average_exec_per_sec "$log")" \
    "${edges:-?}" "$kept" >"$artifacts/summary"
}

# Every input once found at fault, replayed first, as it stands.
failed=()
for t in "${targets[@]}"; do
  mapfile -t kept < <(find "fuzz/regressions/$t" -type f ! -name '.*' 2>/dev/null | sort)
  [ ${#kept[@]} -gt 0 ] || continue
  mkdir -p "build/fuzz/artifacts/$t"
  echo "=== $t: replaying ${#kept[@]} regression input(s)"
  if ! "$asan/${t}_fuzz" -timeout=10 "${kept[@]}" >"build/fuzz/artifacts/$t/regressions.log" 2>&1
  then
    tail -n 30 "build/fuzz/artifacts/$t/regressions.log"
    failed+=("$t (regression)")
  fi
done
[ ${#failed[@]} -eq 0 ] || { echo "=== fuzz: regressions fail in: ${failed[*]}"; exit 1; }

for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  run_target "$t" &
done
wait

echo "=== fuzz summary"
for t in "${targets[@]}"; do
  cat "build/fuzz/artifacts/$t/summary" 2>/dev/null || echo "$t: no summary"
  if [ -f "build/fuzz/artifacts/$t/failed" ]; then
    failed+=("$(cat "build/fuzz/artifacts/$t/failed")")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "=== fuzz: findings in: ${failed[*]}"
  exit 1
fi
echo "=== fuzz: no findings"
