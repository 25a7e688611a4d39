#!/usr/bin/env bash
# Measures the game and prints a short table. Reports only: never fails on a slow result.
# Usage: tools/run-benchmarks.sh BUILD [SECONDS]
#   1. the Google Benchmark programs in BUILD/bin (*_bench): updateGame, loadZone, drawFrame;
#   2. the real game and bench/baseline.cpp, each under its own Xvfb for SECONDS (20) of play,
#      with bench/present_shim.c preloaded to time every present and read CPU time and peak
#      memory at exit.
set -uo pipefail
build=${1:-build-bench}
seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "$build/bin" && pwd) || { echo "no $build/bin" >&2; exit 1; }
out=$(mktemp -d "${TMPDIR:-/tmp}/kestravel-bench.XXXXXX")
trap 'stop_xvfb; rm -rf "$out"' EXIT

. "$root/tests/e2e/lib/shell_xvfb.bash"

echo "== micro-benchmarks"
for program in "$bin"/*_bench; do
    name=$(basename "$program")
    "$program" --benchmark_out="$out/$name.json" --benchmark_out_format=json --benchmark_min_time=1 ||
        echo "$name failed" >&2
done

# play PROGRAM TITLE LOG [VAR=VALUE...]: starts it on a fresh Xvfb with those variables set,
# plays for $seconds, quits with Ctrl+W.
play() {
    local program=$1 title=$2 log=$3 pid window started
    shift 3
    start_xvfb || return 1
    mkdir -p "$out/home/Pictures" "$out/run"
    started=$(date +%s.%N)
    (cd "$out/run" && HOME="$out/home" XDG_CONFIG_HOME="$out/home" SDL_AUDIODRIVER=dummy \
        KESTRAVEL_PRESENT_LOG="$log" LD_PRELOAD="$bin/libkestravel-present-shim.so" env "$@" "$program" \
        >"$log.out" 2>&1) &
    pid=$!
    if ! window=$(wait_for_window "$title" 30); then
        echo "$(basename "$program"): no window" >&2
        kill "$pid" 2>/dev/null
        stop_xvfb
        return 1
    fi
    echo "started $started" >"$log.start"
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    # Past the intro, then walking both ways with a hop now and then, as a player would.
    local end=$((SECONDS + seconds)) direction=Right
    sleep 2
    while [ $SECONDS -lt $end ]; do
        xdotool keydown "$direction"
        sleep 1.5
        xdotool keydown space
        sleep 0.1
        xdotool keyup space
        sleep 1.4
        xdotool keyup "$direction"
        [ "$direction" = Right ] && direction=Left || direction=Right
    done
    press_keys ctrl w
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    stop_xvfb
}

real=0
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v xwininfo >/dev/null &&
    [ -x "$bin/kestravel-baseline" ] && [ -f "$bin/libkestravel-present-shim.so" ]; then
    # Xvfb has no GPU: SDL's OpenGL renderer rasterises on the CPU (Mesa llvmpipe), so SDL's own
    # software renderer is measured as well.
    for renderer in opengl software; do
        echo "== the game and the baseline under Xvfb, ${seconds}s each, $renderer renderer"
        play "$bin/Kestravel_Main" "$WINDOW_TITLE" "$out/game-$renderer.log" \
            SDL_RENDER_DRIVER=$renderer &&
            play "$bin/kestravel-baseline" "Kestravel baseline" "$out/baseline-$renderer.log" \
                SDL_RENDER_DRIVER=$renderer && real=1
    done
else
    echo "== skipping the real programs: Xvfb, xdotool, xwininfo or the baseline is missing"
fi

python3 - "$out" "$real" <<'PY'
import json, os, statistics, sys

out, real = sys.argv[1], sys.argv[2] == "1"

def bench(name):
    for path in os.listdir(out):
        if not path.endswith(".json"):
            continue
        for b in json.load(open(os.path.join(out, path))).get("benchmarks", []):
            if b["name"].split("/min_warmup_time")[0] == name and "error_message" not in b:
                scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
                return b["real_time"] * scale, b.get("label", "")
    return None, ""

def run(name):
    path = os.path.join(out, name + ".log")
    if not os.path.exists(path):
        return None
    lines = open(path).read().split("\n")
    fields = dict(l.split(" ", 1) for l in lines[:4] if " " in l)
    stamps = [float(l) for l in lines[4:] if l.strip()]
    started = float(open(path + ".start").read().split()[1])
    gaps = sorted((b - a) * 1000 for a, b in zip(stamps, stamps[1:]))
    # The first seconds hold start-up; intervals are taken over the play that follows.
    steady = sorted((b - a) * 1000 for a, b in zip(stamps, stamps[1:]) if a - stamps[0] > 1.0)
    wall = float(fields["end"]) - started
    return {
        "cpu_per_frame_ms": float(fields["cpu"]) * 1000 / max(1, int(fields["presents"])),
        "cpu_share": float(fields["cpu"]) / wall,
        "median_ms": statistics.median(steady) if steady else float("nan"),
        "p99_ms": steady[min(len(steady) - 1, int(len(steady) * 0.99))] if steady else float("nan"),
        "peak_mb": int(fields["maxrss_kb"]) / 1024,
        "first_frame_ms": (stamps[0] - started) * 1000 if stamps else float("nan"),
        "frames": int(fields["presents"]),
    }

rows = []
def row(what, value, base, unit, target):
    ratio = "%.2fx" % (value / base) if value is not None and base else ""
    fmt = lambda v: "-" if v is None else ("%.3g %s" % (v, unit))
    rows.append((what, fmt(value), fmt(base) if base is not None else "", ratio, target))

update, _ = bench("updateGameWalkingAndJumping")
row("updateGame per frame, walking and jumping", update and update * 1e9, None, "ns", "< 1000 ns")
zone, _ = bench("loadZoneOfTheShippedWorld")
row("loadZone, shipped world", zone and zone * 1e6, None, "us", "")
for driver in ("software", "opengl"):
    draw, _ = bench("drawFrameAndPresent/" + driver)
    clear, _ = bench("clearAndPresent/" + driver)
    row("drawFrame + present, offscreen %s renderer" % driver, draw and draw * 1e6, clear and clear * 1e6, "us",
        "baseline: clear + present")
for renderer in ("opengl", "software") if real else ():
    game, base = run("game-" + renderer), run("baseline-" + renderer)
    if not (game and base):
        continue
    on = ", Xvfb, %s" % renderer
    row("CPU per frame" + on, game["cpu_per_frame_ms"], base["cpu_per_frame_ms"], "ms", "<= 1.5x")
    row("CPU share of wall time" + on, game["cpu_share"] * 100, base["cpu_share"] * 100, "%", "no busy wait")
    row("frame interval, median" + on, game["median_ms"], base["median_ms"], "ms", "14-17 ms")
    row("frame interval, 99th percentile" + on, game["p99_ms"], base["p99_ms"], "ms", "< 20 ms")
    row("peak memory" + on, game["peak_mb"], base["peak_mb"], "MB", "<= 1.5x")
    row("start to first presented frame" + on, game["first_frame_ms"], base["first_frame_ms"], "ms", "")
    row("frames presented" + on, game["frames"], base["frames"], "", "")

print()
print("| measure | game | baseline | ratio | target |")
print("|---|---|---|---|---|")
for r in rows:
    print("| %s | %s | %s | %s | %s |" % r)
PY
exit 0
