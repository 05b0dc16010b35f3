#!/usr/bin/env bash
# Runs the fuzz targets (fuzz/*_fuzz.cpp, built by the "fuzz" preset).
#
#   scripts/fuzz.sh [SECONDS]   each target for SECONDS (default 600), growing
#                               its corpus in build/fuzz/corpus/<target>; prints
#                               executions and executions per second per target
#   scripts/fuzz.sh --ci        each target replays fuzz/regressions/<target>/,
#                               then runs a fixed number of inputs from its
#                               seed corpus (a few minutes in all)
#   scripts/fuzz.sh --ci TARGET ... / scripts/fuzz.sh SECONDS TARGET ...
#                               only the named targets (e.g. setup_header)
#
# Seeds are made afresh by fuzz/make_seeds.py from the host build's tools.
# A crash is minimized into fuzz/regressions/<target>/, from where every later
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

all_targets=(setup_header setup_xml system_info state_file project_json project_file device_zip
             cabinet_members package)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

# Inputs per target in the CI run: the slower targets (a whole project
# record, a cabinet through libmspack, a package through both device
# threads) get fewer.
ci_runs() {
  case "$1" in
    project_file|cabinet_members|package) echo 3000 ;;
    *) echo 30000 ;;
  esac
}

scripts/setup-host.sh
scripts/setup-fuzz.sh

jobs=$(nproc)
echo "=== fuzz: instrumented third-party readers, configure and build"
scripts/fuzz-deps.sh build/fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
# The seeds are made with the host build's own programs.
if [ ! -x build/host/wizard/ui/zephyrkit ] || [ ! -x build/host/wizard/ui/zephyrkit-project ]; then
  cmake --preset host >/dev/null
  cmake --build --preset host -j "$jobs" --target zephyrkit zephyrkit-project
fi
python3 fuzz/make_seeds.py build/host build/fuzz/seeds

bin=build/fuzz/fuzz
failed=()
summary=()
for t in "${targets[@]}"; do
  exe=$bin/${t}_fuzz
  seeds=build/fuzz/seeds/$t
  regressions=fuzz/regressions/$t
  artifacts=build/fuzz/artifacts/$t
  mkdir -p "$seeds" "$regressions" "$artifacts"
  dict=()
  [ -f "fuzz/dictionaries/$t.dict" ] && dict=(-dict="fuzz/dictionaries/$t.dict")
  common=(-timeout=10 -rss_limit_mb=2560 -print_final_stats=1 -artifact_prefix="$artifacts/"
          "${dict[@]}")

  # Every input once found at fault, replayed as it stands.
  mapfile -t kept < <(find "$regressions" -type f ! -name '.*' | sort)
  if [ ${#kept[@]} -gt 0 ]; then
    echo "=== $t: replaying ${#kept[@]} regression input(s)"
    if ! "$exe" -timeout=10 "${kept[@]}" >"$artifacts/replay.log" 2>&1; then
      tail -n 30 "$artifacts/replay.log"
      failed+=("$t (regression)")
      continue
    fi
  fi

  if [ "$mode" = ci ]; then
    corpus=$(mktemp -d)
    run=(-runs="$(ci_runs "$t")" -seed=1 "$corpus" "$seeds" "$regressions")
    echo "=== $t: $(ci_runs "$t") inputs from the seeds"
  else
    corpus=build/fuzz/corpus/$t
    mkdir -p "$corpus"
    run=(-max_total_time="$seconds" "$corpus" "$seeds" "$regressions")
    echo "=== $t: ${seconds} s"
  fi
  log=$artifacts/run.log
  rm -f "$artifacts"/crash-* "$artifacts"/timeout-* "$artifacts"/oom-* "$artifacts"/leak-*
  status=0
  "$exe" "${common[@]}" "${run[@]}" >"$log" 2>&1 || status=$?
  [ "$mode" = ci ] && rm -rf "$corpus"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  summary+=("$(printf '%-16s %12s executions %8s exec/s' "$t" "${execs:-?}" "${rate:-?}")")
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    crash=$(find "$artifacts" -type f \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' \
                -o -name 'leak-*' \) | head -n 1)
    if [ -n "$crash" ]; then
      minimized=$regressions/$(basename "$crash")
      "$exe" -minimize_crash=1 -runs=20000 -exact_artifact_path="$minimized" "$crash" \
        >"$artifacts/minimize.log" 2>&1 || true
      [ -s "$minimized" ] || cp "$crash" "$minimized"
      echo "=== $t: the input is kept as $minimized"
    fi
    failed+=("$t")
  fi
done

echo "=== fuzz summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "=== fuzz: findings in: ${failed[*]}"
  exit 1
fi
echo "=== fuzz: no findings"
