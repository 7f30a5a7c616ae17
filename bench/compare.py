#!/usr/bin/env python3
"""Interleaved end-to-end timing of tessella against the I/O floor, the literal
converter and the installed peers. Run through bench/compare.sh, which builds the
programs first; see there for what each contestant is."""

import argparse
import datetime
import json
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

MIB = 1024 * 1024


def parse_args():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--build", required=True, help="build folder with the release programs")
    p.add_argument("--results", required=True, help="where to write the results table")
    p.add_argument("--sizes", default="4800 16000", help="bitmap sides to run")
    p.add_argument("--runs", type=int, default=7, help="rounds for sides up to 8000")
    p.add_argument("--big-runs", type=int, default=5, help="rounds for larger sides")
    p.add_argument("--peer-runs", type=int, default=3, help="rounds the peers take part in (the first ones)")
    p.add_argument("--work", default=os.path.join(tempfile.gettempdir(), "tessella-compare"),
                   help="folder for bitmaps and outputs (bitmaps are kept for the next run)")
    p.add_argument("--no-peers", action="store_true", help="skip libvips and ImageMagick")
    p.add_argument("--quantizer", help="quantizer_bench program: its figures go into the results too")
    return p.parse_args()


def magick_policy(work):
    """ImageMagick's packaged policy caps pictures at 128 megapixels and 1 GiB of disk
    cache; the peers get limits that let them finish a 16000 x 16000 picture."""
    folder = os.path.join(work, "magick-policy")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "policy.xml"), "w") as f:
        f.write("""<policymap>
  <policy domain="resource" name="memory" value="16GiB"/>
  <policy domain="resource" name="map" value="32GiB"/>
  <policy domain="resource" name="width" value="64KP"/>
  <policy domain="resource" name="height" value="64KP"/>
  <policy domain="resource" name="area" value="4GP"/>
  <policy domain="resource" name="disk" value="64GiB"/>
</policymap>
""")
    return folder


def contestants(build, peers):
    b = os.path.join(build, "bench")
    tessella = os.path.join(build, "cli", "tessella")
    table = [
        ("tessella", 2, lambda bmp, out: [tessella, "convert", bmp, "--name", "BENCH MAP", "--folder", "m",
                                          "--top-left", "35:40:0,139:45:0", "--bottom-right", "35:39:0,139:46:0",
                                          "--east-west", "1852", "--north-south", "926", "--output-dir", out]),
        ("core-1t", 1, lambda bmp, out: [os.path.join(b, "convert_driver"), bmp, out, "m", "1"]),
        ("floor-2t", 2, lambda bmp, out: [os.path.join(b, "io_floor"), bmp, out, "m", "2"]),
        ("floor-1t", 1, lambda bmp, out: [os.path.join(b, "io_floor"), bmp, out, "m", "1"]),
        ("floor-inplace", 2, lambda bmp, out: [os.path.join(b, "io_floor"), bmp, out, "m", "2", "inplace"]),
        ("literal", 1, lambda bmp, out: [os.path.join(b, "literal_convert"), bmp, out, "m"]),
    ]
    if peers and shutil.which("vips"):
        table.append(("vips", 0, lambda bmp, out: ["vips", "dzsave", bmp, os.path.join(out, "m"), "--tile-size",
                                                    "160", "--overlap", "0", "--depth", "one", "--suffix", ".ppm"]))
    if peers and shutil.which("convert"):
        table.append(("magick", 0, lambda bmp, out: ["convert", bmp, "-crop", "160x160", "+repage",
                                                      "BMP3:" + os.path.join(out, "t_%05d.bmp")]))
    return table


def settle():
    """Writes back what earlier runs left dirty, so no run pays for another's output."""
    os.sync()
    time.sleep(0.5)


def timed(command, env, work):
    """Wall seconds and peak resident memory (bytes) of one run. The peak comes from GNU
    time, which execs the program directly (a fork of this Python would count its own
    memory)."""
    report = os.path.join(work, "time.txt")
    settle()
    start = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-o", report, "-f", "%M %U %S"] + command,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    seconds = time.perf_counter() - start
    if done.returncode != 0:
        raise RuntimeError(f"{command[0]} failed ({done.returncode}): {done.stderr.decode(errors='replace').strip()}")
    with open(report) as f:
        peak_kib, user, system = f.read().split()[-3:]
    return seconds, int(peak_kib) * 1024, float(user) + float(system)


def same_tiles(a, b):
    """The tile trees of two outputs hold the same files with the same bytes."""
    def files(root):
        found = {}
        for folder, _, names in os.walk(root):
            for n in names:
                path = os.path.join(folder, n)
                found[os.path.relpath(path, root)] = path
        return found
    fa, fb = files(a), files(b)
    if fa.keys() != fb.keys():
        return False
    for key, path in fa.items():
        with open(path, "rb") as x, open(fb[key], "rb") as y:
            if x.read() != y.read():
                return False
    return True


def run_size(side, rounds, peer_rounds, table, build, work, env, runs):
    bitmap = os.path.join(work, f"map{side}.bmp")
    if not os.path.exists(bitmap) or os.path.getsize(bitmap) != 54 + 3 * side * side:
        print(f"drawing {bitmap} ...", flush=True)
        subprocess.run([os.path.join(build, "bench", "make_map"), str(side), str(side), bitmap], check=True)
    with open(bitmap, "rb") as f:  # warm the page cache
        while f.read(16 * MIB):
            pass
    settle()
    runs = os.path.join(runs, str(side))
    os.makedirs(runs)
    times = {name: [] for name, _, _ in table}
    cpu = {name: [] for name, _, _ in table}
    peaks = {name: [] for name, _, _ in table}
    # One untimed round of our own programs first: the first runs after drawing a
    # bitmap or deleting an output are slower for reasons that are not theirs.
    for name, threads, make in table:
        if threads:
            out = os.path.join(runs, f"{name}-warm")
            os.makedirs(out)
            timed(make(bitmap, out), env, work)
    for r in range(rounds):
        order = table[r % len(table):] + table[:r % len(table)]
        for name, threads, make in order:
            if not threads and r >= peer_rounds:
                continue
            out = os.path.join(runs, f"{name}-{r}")
            os.makedirs(out)
            seconds, peak, busy = timed(make(bitmap, out), env, work)
            times[name].append(seconds)
            cpu[name].append(busy)
            peaks[name].append(peak)
            print(f"  {side}^2 round {r + 1}/{rounds} {name:9s} {seconds:7.3f} s {busy:7.3f} cpu-s "
                  f"{peak / MIB:8.1f} MiB", flush=True)
        if r == 0:
            for other in ("core-1t", "literal"):
                if not same_tiles(os.path.join(runs, f"tessella-0"), os.path.join(runs, f"{other}-0")):
                    raise RuntimeError(f"{other} wrote different tiles from tessella")
    return {name: (statistics.median(times[name]), min(times[name]), max(times[name]), max(peaks[name]),
                   statistics.median(cpu[name]), len(times[name]))
            for name in times if times[name]}


def run_readback(side, rounds, build, work, env, runs):
    """Times reading the map tessella wrote back: verify, and preview at scales 4 and 1
    (scale 1 compresses every index of the map into the PNG, so it runs once)."""
    tessella = os.path.join(build, "cli", "tessella")
    index = os.path.join(runs, str(side), "tessella-0", "m.vlm")
    png = os.path.join(work, "preview.png")
    table = [("verify", [tessella, "verify", index], rounds),
             ("preview --scale 4", [tessella, "preview", index, "-o", png, "--scale", "4"], rounds),
             ("preview --scale 1", [tessella, "preview", index, "-o", png], 1)]
    found = {}
    for r in range(rounds):
        for name, command, limit in table:
            if r >= limit:
                continue
            seconds, peak, busy = timed(command, env, work)
            found.setdefault(name, []).append((seconds, peak))
            print(f"  {side}^2 round {r + 1}/{rounds} {name:17s} {seconds:7.3f} s {peak / MIB:8.1f} MiB", flush=True)
    if os.path.exists(png):
        os.remove(png)
    return {name: (statistics.median(s for s, _ in v), min(s for s, _ in v), max(p for _, p in v), len(v))
            for name, v in found.items()}


def readback_report(side, res, convert_median):
    lines = [f"\nReading the {side} x {side} map back (its tiles are in the page cache; limit for verify "
             "and preview --scale 4: 2 x the conversion's median):\n",
             "| Command | Runs | Median s | Min s | Peak MiB | vs convert |", "|---|---|---|---|---|---|"]
    for name, (med, lo, peak, n) in res.items():
        lines.append(f"| tessella {name} | {n} | {med:.3f} | {lo:.3f} | {peak / MIB:.1f} | {med / convert_median:.2f} x |")
    return lines


def machine():
    cpu = platform.processor() or "?"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    mem = "?"
    try:
        with open("/proc/meminfo") as f:
            mem = f"{int(f.readline().split()[1]) / MIB:.1f} GiB"
    except OSError:
        pass
    fs = subprocess.run(["df", "-T", tempfile.gettempdir()], capture_output=True, text=True).stdout.splitlines()
    fstype = fs[1].split()[1] if len(fs) > 1 else "?"
    return {
        "nproc": os.cpu_count(),
        "cpu": cpu,
        "kernel": platform.release(),
        "memory": mem,
        "filesystem": fstype,
        "load": " ".join(f"{x:.2f}" for x in os.getloadavg()),
    }


def quantizer_figures(program):
    """Pixels per second of each row converter on one core, from the Google Benchmark
    program, as (name, Gpixel/s) pairs in the program's order."""
    out = subprocess.run([program, "--benchmark_format=json", "--benchmark_min_time=0.5"],
                         check=True, capture_output=True, text=True).stdout
    figures = []
    for b in json.loads(out)["benchmarks"]:
        if b.get("error_occurred"):
            figures.append((b["name"], None))
        else:
            figures.append((b["name"], b["items_per_second"] / 1e9))
    return figures


def quantizer_report(figures):
    lines = ["\n## Classifying pixels: quantizePieces on one core\n",
             "Rows of the synthetic map and of pure noise (every pixel a random colour), "
             "converted as whole 16000-pixel rows and, as the tile writer does, one call a row "
             "putting each 160-pixel piece into its own tile; `quantizePixel` is the "
             "straightforward per-pixel classifier. "
             "tessella uses the widest converter the processor can run; all of them give the "
             "same index as `quantizePixel` for every one of the 2^24 colours (tested).\n",
             "| Benchmark | Gpixel/s | ns per pixel |", "|---|---|---|"]
    for name, rate in figures:
        if rate is None:
            lines.append(f"| {name} | not available on this processor | |")
        else:
            lines.append(f"| {name} | {rate:.2f} | {1 / rate:.2f} |")
    return lines


def report(results, table, info, load_after, command, quantizer=None, readback=None):
    threads = {name: t for name, t, _ in table}
    lines = []
    lines.append("# Conversion speed, side by side\n")
    lines.append(f"Measured {datetime.datetime.utcnow():%Y-%m-%d %H:%M} UTC with `{command}`.\n")
    lines.append(f"Machine: {info['nproc']} cores, {info['cpu']}, kernel {info['kernel']}, "
                 f"{info['memory']} memory, {info['filesystem']} file system. "
                 f"Load average before: {info['load']}, after: {load_after} "
                 "(the machine is shared; absolute times vary, ratios within one run are what counts).\n")
    lines.append("Warm page cache, each run into a fresh output folder, all removed after the last round. "
                 "`floor` is our I/O floor: the same reads and the same files and bytes, no computation. "
                 "Times are wall-clock medians of the interleaved rounds (after one untimed round of our own "
                 "programs); CPU s is user + system time, which counts both threads of a two-thread run; "
                 "memory is the largest peak resident set.\n")
    for side, res in results.items():
        pixels = side * side
        t = res["tessella"][0]
        lines.append(f"\n## {side} x {side} ({pixels / 1e6:.0f} Mpixel, {(side // 160) ** 2} tiles)\n")
        lines.append("| Program | Threads | Runs | Median s | Min s | Max s | CPU s (median) | Peak MiB | Gpixel/s | vs tessella |")
        lines.append("|---|---|---|---|---|---|---|---|---|---|")
        for name, (med, lo, hi, peak, busy, n) in res.items():
            th = threads[name] if threads[name] else "own"
            lines.append(f"| {name} | {th} | {n} | {med:.3f} | {lo:.3f} | {hi:.3f} | {busy:.2f} | {peak / MIB:.1f} | "
                         f"{pixels / med / 1e9:.2f} | {med / t:.1f} x |")
        lines.append("")
        ratios = []
        # Beside the medians, the best runs: the ones the other tenants of the machine
        # disturbed least.
        if "floor-2t" in res:
            ratios.append(f"tessella / floor (2 threads): **{t / res['floor-2t'][0]:.2f}** "
                          f"(best runs: {res['tessella'][1] / res['floor-2t'][1]:.2f})")
        if "floor-2t" in res and "floor-inplace" in res:
            ratios.append(f"whole files (temporary name, then rename) / writing in place, floor with 2 threads: "
                          f"**{res['floor-2t'][0] / res['floor-inplace'][0]:.2f}** "
                          f"(best runs: {res['floor-2t'][1] / res['floor-inplace'][1]:.2f})")
        if "core-1t" in res and "floor-1t" in res:
            ratios.append(f"tessella core / floor (1 thread): **{res['core-1t'][0] / res['floor-1t'][0]:.2f}** "
                          f"(best runs: {res['core-1t'][1] / res['floor-1t'][1]:.2f})")
        if "literal" in res:
            ratios.append(f"literal converter / tessella: **{res['literal'][0] / t:.1f} x**")
        for peer in ("vips", "magick"):
            if peer in res:
                ratios.append(f"{peer} / tessella: **{res[peer][0] / t:.1f} x** the time, "
                              f"**{res[peer][3] / res['tessella'][3]:.0f} x** the memory")
        lines.extend(f"- {r}" for r in ratios)
        if readback and side in readback:
            lines.extend(readback_report(side, readback[side], t))
    if quantizer:
        lines.extend(quantizer_report(quantizer))
    return "\n".join(lines) + "\n"


def main():
    args = parse_args()
    os.makedirs(args.work, exist_ok=True)
    env = dict(os.environ, MAGICK_CONFIGURE_PATH=magick_policy(args.work))
    table = contestants(args.build, not args.no_peers)
    info = machine()
    results = {}
    readback = {}
    # Every output of every run stays until the very end: on ext4, creating files soon
    # after deleting many makes the inode allocator skip the recently freed ones, at a
    # cost that would land on whichever program runs next.
    runs = tempfile.mkdtemp(prefix="runs-", dir=args.work)
    try:
        for side in [int(s) for s in args.sizes.split()]:
            rounds = args.runs if side <= 8000 else args.big_runs
            results[side] = run_size(side, rounds, args.peer_runs, table, args.build, args.work, env, runs)
            readback[side] = run_readback(side, min(rounds, 3), args.build, args.work, env, runs)
    finally:
        print("removing the outputs ...", flush=True)
        shutil.rmtree(runs, ignore_errors=True)
    quantizer = None
    if args.quantizer:
        print("timing quantizePieces ...", flush=True)
        quantizer = quantizer_figures(args.quantizer)
    text = report(results, table, info, " ".join(f"{x:.2f}" for x in os.getloadavg()),
                  "bench/compare.sh " + " ".join(sys.argv[7:]), quantizer, readback)
    # The sections the other scripts write into the same file ("<!-- import rows: ... -->" to
    # "<!-- end of import rows -->": bench/import_compare.py, bench/startup_compare.py) are kept
    # as they are.
    kept = ""
    if os.path.exists(args.results):
        with open(args.results) as f:
            old = f.read()
        for section in re.finditer(r"<!-- ([a-z -]+) rows: .*?<!-- end of \1 rows -->", old, re.S):
            kept += "\n" + section.group(0) + "\n"
    with open(args.results, "w") as f:
        f.write(text + kept)
    print()
    print(text)


if __name__ == "__main__":
    main()
