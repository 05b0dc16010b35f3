#!/usr/bin/env bash
# How much of each reader the fuzz corpora reach.
#
#   scripts/fuzz-coverage.sh [TARGET...]
#
# Builds the targets with source-based coverage (the fuzz-coverage preset:
# -fprofile-instr-generate -fcoverage-mapping, no sanitizers), runs each once
# over its kept corpus (build/fuzz/corpus/<target>, left by scripts/fuzz.sh;
# the seeds and the regressions when there is none yet) and prints, per
# target, the line coverage of the code that target exists for: the reader's
# files, or the functions of them it calls, not libmspack or the test
# support. The HTML report is left in build/fuzz-coverage/report/<target>/,
# the lines no input reached in build/fuzz-coverage/report/<target>.uncovered.
set -euo pipefail
cd "$(dirname "$0")/.."

# What each target exists for: a source file, and optionally a regular
# expression over its functions' (mangled) names when the file holds more
# than the target reads through.
reader() {
  case "$1" in
    setup_header) echo "common/cabinet/setup_header.cpp" ;;
    setup_xml) echo "common/cabinet/setup_xml.cpp" ;;
    system_info)
      echo "device/sysinfo/system_info_file.cpp"
      echo "device/sysinfo/cabinet_compatibility.cpp" ;;
    state_file)
      echo "device/installer/state_file.cpp"
      echo "device/installer/installer_resume.cpp RestoreState" ;;
    request_path) echo "delivery/request_path.cpp MapRequestPath|DecodeSegment|Hidden|HexValue" ;;
    project_json) echo "wizard/project/project_json.cpp Import|DuplicateKeys|Json" ;;
    project_file)
      echo "wizard/project/project_file.cpp ReadProjectFile|ApplyProjectToWizard|CheckBuildFiles|IsFilePresent"
      echo "wizard/ui/shell/project_shell.cpp Shell4Load|Shell4Show|Shell5Check|WarnOfDoubtful"
      echo "wizard/project/project_settings_text.cpp"
      echo "wizard/project/project_json.cpp Export" ;;
    device_zip)
      for f in byte_source item_facts item_name item_stream minizip_io unzip_status zip_archive \
               zip_crypto zip_reader; do
        echo "device/unzip/$f.cpp"
      done ;;
    package_check)
      echo "device/installer/package_check.cpp"
      echo "common/certificate_table.cpp" ;;
    cabinet_members)
      echo "common/cabinet/setup_files.cpp"
      echo "common/cabinet/mspack_port.cpp"
      echo "common/cabinet/mspack_file_table.cpp"
      echo "wizard/cabinet/cabinet_list.cpp AdmitCabinet" ;;
    package)
      echo "device/installer/package_unpacking.cpp"
      echo "device/installer/package_sections.cpp"
      echo "device/installer/installer_engine.cpp" ;;
    *) echo "fuzz-coverage: no reader listed for $1" >&2; return 1 ;;
  esac
}

all_targets=(setup_header setup_xml system_info state_file request_path project_json project_file
             device_zip package_check cabinet_members package)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

scripts/setup-host.sh
scripts/setup-fuzz.sh
echo "=== fuzz-coverage: configure and build"
cmake --preset fuzz-coverage >/dev/null
cmake --build --preset fuzz-coverage -j "$(nproc)"
if [ ! -d build/fuzz/seeds ]; then
  if [ ! -x build/host/wizard/ui/zephyrkit ] || [ ! -x build/host/wizard/ui/zephyrkit-project ]; then
    cmake --preset host >/dev/null
    cmake --build --preset host -j "$(nproc)" --target zephyrkit zephyrkit-project
  fi
  python3 fuzz/make_seeds.py build/host build/fuzz/seeds
fi

bin=build/fuzz-coverage/fuzz
out=build/fuzz-coverage/report
mkdir -p "$out"
table=()
for t in "${targets[@]}"; do
  inputs=()
  corpus=build/fuzz/corpus/$t
  if [ -d "$corpus" ] && [ -n "$(ls -A "$corpus")" ]; then
    inputs=("$corpus")
    from="kept corpus"
  else
    inputs=(build/fuzz/seeds/"$t")
    from="seeds"
  fi
  [ -d "fuzz/regressions/$t" ] && inputs+=("fuzz/regressions/$t")
  rm -f "$out/$t".*.profraw
  # Each input once; a finding is not this script's business (scripts/fuzz.sh).
  LLVM_PROFILE_FILE="$out/$t.%p.profraw" "$bin/${t}_fuzz" -runs=0 -timeout=30 "${inputs[@]}" \
    >"$out/$t.log" 2>&1 || echo "fuzz-coverage: $t stopped early (see $out/$t.log)"
  llvm-profdata merge -sparse "$out/$t".*.profraw -o "$out/$t.profdata"
  rm -f "$out/$t".*.profraw

  files=()
  covered=0
  total=0
  : >"$out/$t.uncovered"
  while read -r file pattern; do
    files+=("$file")
    if [ -z "$pattern" ]; then
      # A file the program does not hold would report the whole program.
      read -r lines missed < <(llvm-cov report "$bin/${t}_fuzz" -instr-profile="$out/$t.profdata" \
        "$file" | awk -v f="$file" 'index($1, f) || index(f, $1) == length(f) - length($1) + 1 {
          if (NF == 13) { l = $8; m = $9 } } END { print l + 0, m + 0 }')
      llvm-cov show "$bin/${t}_fuzz" -instr-profile="$out/$t.profdata" "$file" |
        awk -v f="$file" -F'|' '$2 ~ /^ *0$/ { gsub(/ /, "", $1); print f ":" $1 }' \
        >>"$out/$t.uncovered"
    else
      read -r lines missed < <(llvm-cov report "$bin/${t}_fuzz" -instr-profile="$out/$t.profdata" \
        -show-functions "$file" |
        awk -v p="$pattern" '$1 ~ p && NF == 10 { l += $5; m += $6 } END { print l + 0, m + 0 }')
      llvm-cov show "$bin/${t}_fuzz" -instr-profile="$out/$t.profdata" -name-regex="$pattern" \
        "$file" | awk -v f="$file" -F'|' '$2 ~ /^ *0$/ { gsub(/ /, "", $1); print f ":" $1 }' |
        sort -t: -k2,2n -u >>"$out/$t.uncovered"
    fi
    covered=$((covered + lines - missed))
    total=$((total + lines))
  done < <(reader "$t")
  rm -rf "${out:?}/$t"
  llvm-cov show "$bin/${t}_fuzz" -instr-profile="$out/$t.profdata" -format=html \
    -output-dir="$out/$t" "${files[@]}" >/dev/null
  percent=$(awk -v c="$covered" -v t="$total" 'BEGIN { printf "%.1f", t ? 100 * c / t : 0 }')
  table+=("$(printf '%-16s %5d of %5d lines  %5s %%   (%s)' "$t" "$covered" "$total" "$percent" \
    "$from")")
done

echo "=== fuzz-coverage: lines of each reader reached (report: $out/<target>/index.html)"
printf '%s\n' "${table[@]}"
