#!/usr/bin/env bash
# Rebuilds the benchmarks in Release, runs them (5 repetitions, interleaved at
# random) and prints the table of docs/performance.md with the fastest
# repetition of each: on a shared machine that is the closest to the cost
# undisturbed by other work. Extra arguments go to the benchmark
# program (for example --benchmark_filter=RenderFrame).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVELLA_BENCH_BUILD:-$root/build/bench}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZARVELLA_TESTS=OFF \
  -DZARVELLA_LINUX_SHELL=OFF >/dev/null
cmake --build "$build" --target zarvella_bench -j"$(nproc)" >/dev/null

csv="$build/bench.csv"
"$build/bench/zarvella_bench" --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
  --benchmark_out="$csv" --benchmark_out_format=csv "$@" >&2

# One row per picture kind; grid walk in microseconds of CPU, drawing and
# frames in milliseconds of wall clock (1280x1024, glFinish included), the
# last column the main thread's CPU time of a whole frame.
awk -F, '
  /^"BM_/ && !/_(mean|median|stddev|cv)"/ {
    name = $1; gsub(/"/, "", name); time = $3; cpu = $4; unit = $5
    scale = unit == "ns" ? 1e-6 : unit == "us" ? 1e-3 : unit == "s" ? 1e3 : 1
    time *= scale; cpu *= scale
    n = split(name, part, "/"); kind = part[2]; sub(/kind:/, "", kind)
    key = part[1]
    for (i = 3; i <= n; ++i) if (part[i] !~ /real_time/) key = key "/" part[i]
    if (!((key, kind) in ms) || time < ms[key, kind]) ms[key, kind] = time
    if (!((key "/cpu", kind) in ms) || cpu < ms[key "/cpu", kind]) ms[key "/cpu", kind] = cpu
    kinds[kind] = 1
  }
  END {
    ncol = split("BM_BuildSurfaceGrid/detail:10/cpu BM_BuildSurfaceGrid/detail:30/cpu " \
                 "BM_DrawSurface/top:0 BM_FloorReplay/top:0/immediate:0 BM_RenderFrame/top:0 " \
                 "BM_DrawSurface/top:1 BM_FloorReplay/top:1/immediate:0 " \
                 "BM_FloorReplay/top:1/immediate:1 BM_RenderFrame/top:1 BM_RenderFrame/top:1/cpu", col, " ")
    print "| kind | grid, Detail 10 (us) | grid, Detail 30 (us) | default: DrawSurface | default: floor | default: frame | top: DrawSurface | top: floor, arrays | top: floor, immediate | top: frame | top: frame, main-thread CPU |"
    print "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
    for (k = 1; k <= 10; ++k) {
      if (!(k in kinds)) continue
      line = "| " k
      for (c = 1; c <= ncol; ++c) {
        v = ms[col[c], k]
        if (v == "") line = line " | -"
        else if (c <= 2) line = line sprintf(" | %.1f", v * 1000)
        else line = line sprintf(" | %.2f", v)
      }
      print line " |"
    }
  }' "$csv"
