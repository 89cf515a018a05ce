#!/usr/bin/env bash
# Times the snapshot resizes of bench_snapshot and the same resizes with Pillow
# and OpenCV (one thread) in the same run, and prints each of ours as a ratio
# to each peer's time (below 1: we are faster).
# Usage: bench/peers.sh [path to bench_snapshot]   (peers: scripts/setup --bench)
set -euo pipefail
cd "$(dirname "$0")/.."
bench="${1:-build/bench/bench_snapshot}"
out="$(mktemp)"
trap 'rm -f "$out"' EXIT

"$bench" --benchmark_format=json --benchmark_out="$out" --benchmark_out_format=json \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true >/dev/null

# Debian's peer packages belong to the system interpreter.
"${PYTHON:-/usr/bin/python3}" - "$out" <<'PY'
import json, sys, time
import numpy as np
import cv2
from PIL import Image

cv2.setNumThreads(1)
W, H = 1920, 1080
cases = [("enlarge_3840x2160", 3840, 2160, False), ("enlarge_2400x1350", 2400, 1350, False),
         ("reduce_768x432", 768, 432, True), ("reduce_960x360", 960, 360, True)]

rng = np.random.default_rng(12345)
ys, xs = np.mgrid[0:H, 0:W]
noise = rng.integers(0, 16, size=(H, W))
frame = np.stack([(xs // 8 + noise) & 255, (ys // 5 + noise) & 255, ((xs + ys) // 11) & 255,
                  np.full((H, W), 255)], axis=-1).astype(np.uint8)
pil = Image.fromarray(np.ascontiguousarray(frame[:, :, :3]), "RGB")

def best(f, n=5):
    f()
    ts = []
    for _ in range(n):
        t = time.perf_counter(); f(); ts.append(time.perf_counter() - t)
    return sorted(ts)[len(ts) // 2] * 1000.0

ours = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    label = b.get("label", "")
    parts = label.split()
    case, code, threads = parts[0], int(parts[2]), " ".join(parts[3:])
    ms = b["real_time"] if b["time_unit"] == "ms" else b["real_time"] / 1e6
    ours[(case, code, threads)] = ms

print(f"{'resize':<20}{'code':>5}{'ours 1T ms':>12}{'ours all ms':>13}{'peer':>22}{'peer ms':>10}"
      f"{'ratio 1T':>10}{'ratio all':>11}")
for name, w, h, reduce in cases:
    for code in range(4):
        peers = []
        if reduce:
            peers.append(("Pillow BOX", lambda: pil.resize((w, h), Image.BOX)))
            peers.append(("OpenCV INTER_AREA",
                          lambda: cv2.resize(frame, (w, h), interpolation=cv2.INTER_AREA)))
        else:
            pf = Image.BILINEAR if code < 2 else Image.BICUBIC
            cf = cv2.INTER_LINEAR if code < 2 else cv2.INTER_CUBIC
            peers.append(("Pillow " + ("BILINEAR" if code < 2 else "BICUBIC"),
                          lambda pf=pf: pil.resize((w, h), pf)))
            peers.append(("OpenCV " + ("INTER_LINEAR" if code < 2 else "INTER_CUBIC"),
                          lambda cf=cf: cv2.resize(frame, (w, h), interpolation=cf)))
        one = ours.get((name, code, "1 thread"), float("nan"))
        allc = ours.get((name, code, "all cores"), float("nan"))
        for pname, f in peers:
            t = best(f)
            print(f"{name:<20}{code:>5}{one:>12.1f}{allc:>13.1f}{pname:>22}{t:>10.1f}"
                  f"{one / t:>10.2f}{allc / t:>11.2f}")
PY
