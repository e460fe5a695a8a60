#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzzer for a short fixed time, starting from a
# copy of its committed corpus (the repository is left as it is). Fails on any finding:
# a crash, a sanitizer report, a leak, a timeout or memory beyond the limit.
#
# The committed corpora are written by the fuzzers themselves; after a change of an input
# layout, rewrite one with
#   rm -r fuzz/corpus/NAME && PLANDRIX_FUZZ_SEEDS=fuzz/corpus/NAME build/fuzz/fuzz/NAME_fuzzer
#
# Needs clang++ with the libFuzzer and sanitizer runtimes (Debian: clang, libclang-rt-dev
# or libclang-rt-14-dev), cmake and ninja; installs nothing itself.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-20}"

missing=0
for tool in clang++ cmake ninja; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "run_smoke.sh: $tool not found" >&2
    missing=1
  fi
done
if [ "$missing" -ne 0 ]; then
  echo "run_smoke.sh: install clang, libclang-rt-dev, cmake and ninja-build first" >&2
  exit 2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A one-line fuzzer shows whether the libFuzzer and sanitizer runtimes are there.
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
  >"$work/probe.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$work/probe.cpp" -o "$work/probe" \
  >"$work/probe.log" 2>&1; then
  cat "$work/probe.log" >&2
  echo "run_smoke.sh: clang++ cannot link a fuzzer: the libFuzzer runtime is missing" \
    "(Debian package libclang-rt-dev, or libclang-rt-14-dev for clang 14)" >&2
  exit 2
fi

cmake --workflow --preset fuzz

# Runs one fuzzer; its log and any finding stay in the work folder.
run_one() {
  local fuzzer="$1" name="$2"
  local corpus="$work/corpus-$name"
  mkdir -p "$corpus"
  if [ -d "fuzz/corpus/$name" ]; then cp fuzz/corpus/"$name"/* "$corpus"/; fi
  "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$work/$name-" "$corpus" >"$work/$name.log" 2>&1
}

# Two at a time, one per core.
names=()
for fuzzer in build/fuzz/fuzz/*_fuzzer; do
  [ -x "$fuzzer" ] || continue
  name="$(basename "$fuzzer" _fuzzer)"
  names+=("$name")
  if [ "$(jobs -rp | wc -l)" -ge 2 ]; then wait -n || true; fi
  echo "== $name: ${seconds} s"
  (run_one "$fuzzer" "$name" && touch "$work/$name.passed") &
done
wait || true

failed=()
count="${#names[@]}"
for name in "${names[@]}"; do
  if [ -f "$work/$name.passed" ]; then
    echo "$name: $(grep -h "stat::number_of_executed_units" "$work/$name.log" || true)"
    continue
  fi
  failed+=("$name")
  echo "== finding in $name:"
  tail -n 60 "$work/$name.log"
  for artifact in "$work/$name"-*; do
    [ -f "$artifact" ] || continue
    echo "-- input $(basename "$artifact") in hex:"
    od -An -v -tx1 "$artifact" | head -n 200
  done
done

if [ "$count" -eq 0 ]; then
  echo "run_smoke.sh: no fuzzer was built" >&2
  exit 1
fi
if [ "${#failed[@]}" -gt 0 ]; then
  echo "run_smoke.sh: findings in: ${failed[*]}" >&2
  exit 1
fi
echo "run_smoke.sh: $count fuzzers ran ${seconds} s each without a finding"
