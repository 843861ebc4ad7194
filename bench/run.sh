#!/usr/bin/env bash
# Rebuilds the benchmarks in Release, runs them (median of 3 repetitions) and
# prints the table of docs/performance.md. Extra arguments go to the benchmark
# program (for example --benchmark_filter=RenderFrame).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVELLA_BENCH_BUILD:-$root/build/bench}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZARVELLA_TESTS=OFF \
  -DZARVELLA_LINUX_SHELL=OFF >/dev/null
cmake --build "$build" --target zarvella_bench -j"$(nproc)" >/dev/null

csv="$build/bench.csv"
"$build/bench/zarvella_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$csv" --benchmark_out_format=csv "$@" >&2

# One row per picture kind; grid walk in microseconds, drawing and frames in
# milliseconds (wall clock, 1280x1024, glFinish included).
awk -F, '
  /_median"/ {
    name = $1; gsub(/"/, "", name); sub(/_median$/, "", name); time = $3; unit = $5
    if (unit == "ns") time /= 1e6; else if (unit == "us") time /= 1e3; else if (unit == "s") time *= 1e3
    n = split(name, part, "/"); kind = part[2]; sub(/kind:/, "", kind)
    key = part[1]
    for (i = 3; i <= n; ++i) if (part[i] !~ /real_time/) key = key "/" part[i]
    ms[key, kind] = time; kinds[kind] = 1
  }
  END {
    split("BM_BuildSurfaceGrid/detail:10 BM_BuildSurfaceGrid/detail:30 BM_DrawSurface " \
          "BM_RenderFrame/top:0 BM_RenderFrame/top:1 BM_FloorReplay/top:0/immediate:0 " \
          "BM_FloorReplay/top:1/immediate:0 BM_FloorReplay/top:1/immediate:1", col, " ")
    print "| kind | grid D10 (us) | grid D30 (us) | DrawSurface top (ms) | frame default (ms) | frame top (ms) | floor default, arrays (ms) | floor top, arrays (ms) | floor top, immediate (ms) |"
    print "|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
    for (k = 1; k <= 10; ++k) {
      if (!(k in kinds)) continue
      line = "| " k
      for (c = 1; c <= 8; ++c) {
        v = ms[col[c], k]
        if (v == "") line = line " | -"
        else if (c <= 2) line = line sprintf(" | %.1f", v * 1000)
        else line = line sprintf(" | %.2f", v)
      }
      print line " |"
    }
  }' "$csv"
