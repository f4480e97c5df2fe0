#!/usr/bin/env bash
# Runs fuzz targets of the sanitize build for a while, on a scratch copy of their corpus.
#   fuzz/run.sh TARGET SECONDS [libFuzzer options...]
#   fuzz/run.sh all SECONDS [libFuzzer options...]     every target in turn
# TARGET is fuzz_profile or just profile. Each run keeps its corpus, log and any crash input
# under build/sanitize/fuzz-runs/, and prints one line of results.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

targets=(fuzz_split_arguments fuzz_path_parts fuzz_profile fuzz_capture_lines)

if [ $# -lt 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
    sed -n '3,6p' "$0" >&2
    exit 2
fi
target=$1
seconds=$2
shift 2

if [ "$target" = all ]; then
    run=("${targets[@]}")
else
    [[ $target == fuzz_* ]] || target=fuzz_$target
    if ! [ -d "fuzz/corpus/$target" ]; then
        echo "unknown target $target; targets: ${targets[*]}" >&2
        exit 2
    fi
    run=("$target")
fi

[ -f build/sanitize/build.ninja ] || cmake --preset sanitize >/dev/null
cmake --build --preset sanitize --target "${run[@]}" >/dev/null

# The number after `name` on the last line of the log that has it.
last_number() {
    grep -o "$1 *[0-9]*" "$2" | tail -n 1 | grep -o '[0-9]*$' || echo '?'
}

status=0
for target in "${run[@]}"; do
    work=$root/build/sanitize/fuzz-runs/$target-$(date +%Y%m%d-%H%M%S)-$$
    mkdir -p "$work/corpus" "$work/artifacts"
    cp fuzz/corpus/"$target"/* "$work/corpus/"
    result=0
    # Later options win, so the caller's may replace these. Run inside the work folder, where
    # -jobs and -workers leave their own logs.
    (cd "$work" && "$root/build/sanitize/fuzz/$target" -max_total_time="$seconds" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$@" corpus >log 2>&1) ||
        result=$?

    runs=$(last_number 'stat::number_of_executed_units:' "$work/log")
    speed=$(last_number 'stat::average_exec_per_sec:' "$work/log")
    cov=$(last_number 'cov:' "$work/log")
    ft=$(last_number 'ft:' "$work/log")
    corp=$(grep -o 'corp: [0-9]*/[0-9]*[A-Za-z]*' "$work/log" | tail -n 1 | cut -c7- || true)
    files=$(find "$work/corpus" -type f | wc -l)
    findings=$(find "$work/artifacts" -type f | wc -l)
    if [ "$result" -eq 0 ] && [ "$findings" -eq 0 ]; then
        verdict="nothing found"
    else
        verdict="FOUND $findings input(s), exit $result: see $work/log"
        status=1
    fi
    echo "$target: ${seconds}s, $runs runs ($speed/s), cov $cov, ft $ft," \
        "corp ${corp:-?} ($files files), $verdict [$work]"
done
exit $status
