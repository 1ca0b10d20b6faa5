#!/usr/bin/env bash
# Runs orvandel-cli over each hostile file (bench/hostile_files.cpp), followed
# by a good deck, and prints per file: CPU seconds (user + system), peak
# memory, exit status, whether the good deck's address came out, and the
# longest diagnostic line with whether every diagnostic line was printable.
# Where the CLI reads PDFs (its --help names --pdf), it is given --pdf and a
# good PDF after the good deck, and a good Keynote deck where the build has
# its reader; "good" means every good file's address came out.
#
#   bench/run_hostile_bench.sh [JOBS [OPTION...]]   (JOBS for -j, default 1;
#                                                    OPTIONs such as --all-text go to orvandel-cli)
#
# Targets: at most 5 s of CPU and 256 MiB per file of up to 5 MB (N times that
# with -j N), the good deck always read, every diagnostic one printable line
# under 1,000 bytes. Needs /usr/bin/time (Debian package "time").
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANDEL_BUILD_DIR:-$root/build}"
jobs="${1:-1}"
shift || true
options=("$@")
out="${TMPDIR:-/tmp}/orvandel-hostile"
cmake --build "$build" --parallel 2 --target orvandel-cli hostile_files >/dev/null
# The reader processes, where the build has them (their libraries installed).
cmake --build "$build" --parallel 2 --target orvandel-pdf >/dev/null 2>&1 || true
cmake --build "$build" --parallel 2 --target orvandel-keynote >/dev/null 2>&1 || true
rm -rf "$out"
"$build/bench/hostile_files" "$out" >/dev/null
cli="$build/orvandel-cli"
goods=("$out/good.pptx")
expected=(good@example.com)
if [ -x "$build/orvandel-keynote" ]; then
    goods+=("$out/good.key")
    expected+=(listitem@paragraphs.com)
fi
if grep -q -- '--pdf' <<<"$("$cli" --help)"; then
    options+=(--pdf)
    goods+=("$out/good.pdf")
    expected+=(pdf.good@example.com)
fi
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

printf '%-34s %8s %8s %6s %5s %6s %s\n' file "cpu s" "MiB" status good "line" printable
worst_cpu=0
worst_mem=0
while IFS= read -r -d '' file; do
    name="${file#"$out"/}"
    case "$name" in good.pptx | good.pdf | good.key) continue ;; esac
    /usr/bin/time -f '%U %S %M' -o "$scratch/time" "$cli" -j "$jobs" "${options[@]}" "$file" "${goods[@]}" \
        >"$scratch/out" 2>"$scratch/err" && status=0 || status=$?
    read -r user sys kib < <(tail -n 1 "$scratch/time")
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
    mib=$(awk -v k="$kib" 'BEGIN { printf "%.0f", k / 1024 }')
    good=yes
    for address in "${expected[@]}"; do
        grep -qxF "$address" "$scratch/out" || good=no
    done
    longest=$(awk '{ if (length($0) > n) n = length($0) } END { print n + 0 }' "$scratch/err")
    printable=yes
    LC_ALL=C grep -q '[[:cntrl:]]' "$scratch/err" && printable=no
    printf '%-34s %8s %8s %6s %5s %6s %s\n' "$(printf '%q' "$name" | cut -c1-34)" "$cpu" "$mib" "$status" \
        "$good" "$longest" "$printable"
    worst_cpu=$(awk -v a="$worst_cpu" -v b="$cpu" 'BEGIN { print (b > a) ? b : a }')
    worst_mem=$(awk -v a="$worst_mem" -v b="$mib" 'BEGIN { print (b > a) ? b : a }')
done < <(find "$out" -type f -print0 | sort -z)
echo "worst: $worst_cpu s CPU, $worst_mem MiB peak (-j $jobs ${options[*]})"
