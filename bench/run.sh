#!/usr/bin/env bash
# Runs every benchmark and prints the figures side by side.
#   bash bench/run.sh [build folder]
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
echo "== Sprite throughput against SDL_Renderer (offscreen OpenGL)"
SDL_VIDEODRIVER=offscreen "$build/bench/bench_sprites" 30 5
SDL_VIDEODRIVER=offscreen ZUNK_GL=es2 "$build/bench/bench_sprites" 30 5
echo
echo "== The frame cap: pace and cost of the wait (offscreen OpenGL)"
SDL_VIDEODRIVER=offscreen "$build/bench/bench_framecap" 240
echo
echo "== Stream refill, mixing, sprite sheet decoding"
"$build/bench/bench_engine" --benchmark_min_time=0.2
echo
echo "== A daily game sent: its file, its link, its check by the receiver"
"$build/bench/bench_sent" 9
echo
echo "== The whole game against two SDL_Renderer programs drawing the same frames, under Xvfb"
bash "$here/frame.sh" "$build/zunk" "$build/bench/reference_frame" "$build/bench/reference_geometry" "$here/../data"
