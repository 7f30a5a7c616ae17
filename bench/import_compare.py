#!/usr/bin/env python3
"""Interleaved timing of `tessella import` against GDAL's own ways to the same place:
`gdal_translate -of BMP` followed by `tessella convert`, and `gdal2tiles.py -p raster
--tilesize 160 --processes 2` at the one zoom level of the picture's own resolution.
Sources: a striped GeoTIFF (EPSG:4326) and a baseline JPEG with a world file, made with
gdal_translate from the comparison's synthetic map bitmaps. Writes its section of
bench/RESULTS.md (between the import markers), leaving the rest as it is. Run through
bench/compare.sh, which builds tessella first."""

import argparse
import math
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from results_section import write_section

MIB = 1024 * 1024
BEGIN = "<!-- import rows: bench/import_compare.py -->"
END = "<!-- end of import rows -->"
# A run with --no-gdal2tiles (import, convert and the start-up only) keeps its own section.
BUDGET_BEGIN = "<!-- import budget rows: bench/import_compare.py --no-gdal2tiles -->"
BUDGET_END = "<!-- end of import budget rows -->"


def parse_args():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--build", required=True)
    p.add_argument("--results", required=True)
    p.add_argument("--sizes", default="4800 16000")
    p.add_argument("--runs", type=int, default=3, help="rounds for sides up to 8000")
    p.add_argument("--big-runs", type=int, default=1, help="rounds for larger sides")
    p.add_argument("--no-gdal2tiles", action="store_true", help="time import, convert and the start-up only")
    p.add_argument("--work", default=os.path.join(tempfile.gettempdir(), "tessella-compare"))
    return p.parse_args()


def timed(command, work, refused=False):
    """Wall-clock seconds and peak resident bytes of command; refused: it must fail."""
    report = os.path.join(work, "import-time.txt")
    os.sync()
    time.sleep(0.5)
    start = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-o", report, "-f", "%M"] + command,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    seconds = time.perf_counter() - start
    if (done.returncode != 0) != refused:
        raise RuntimeError(f"{command[0]} failed ({done.returncode}): {done.stderr.decode(errors='replace')[-400:]}")
    with open(report) as f:
        peak = int(f.read().split()[-1]) * 1024
    return seconds, peak


def sources(side, build, work):
    """The GeoTIFF and the JPEG of one size, made once and kept."""
    bitmap = os.path.join(work, f"map{side}.bmp")
    if not os.path.exists(bitmap) or os.path.getsize(bitmap) != 54 + 3 * side * side:
        subprocess.run([os.path.join(build, "bench", "make_map"), str(side), str(side), bitmap], check=True)
    # 1 second of arc per pixel from 36 N, 139 E.
    ullr = ["139", "36", str(139 + side / 3600), str(36 - side / 3600)]
    made = {}
    for kind, options in (("tif", ["-of", "GTiff", "-co", "TILED=NO"]),
                          ("jpg", ["-of", "JPEG", "-co", "QUALITY=90", "-co", "WORLDFILE=YES"])):
        path = os.path.join(work, f"map{side}.{kind}")
        if not os.path.exists(path):
            subprocess.run(["gdal_translate", "-q", "-a_srs", "EPSG:4326", "-a_ullr"] + ullr + options
                           + [bitmap, path], check=True)
        made[kind] = path
    return made


def settings(side):
    south = 36 * 3600 - side
    east = 139 * 3600 + side
    dms = lambda s: f"{s // 3600}:{s // 60 % 60:02d}:{s % 60:02d}"
    return ["--name", "BENCH MAP", "--folder", "m", "--top-left", "36:00:00,139:00:00",
            "--bottom-right", f"{dms(south)},{dms(east)}", "--east-west", "auto", "--north-south", "auto"]


def main():
    a = parse_args()
    tessella = os.path.join(a.build, "cli", "tessella")
    gdal2tiles = None if a.no_gdal2tiles else (shutil.which("gdal2tiles.py") or shutil.which("gdal2tiles"))
    os.makedirs(a.work, exist_ok=True)
    runs_root = tempfile.mkdtemp(prefix="import-runs-", dir=a.work)
    rows = []
    budgets = []  # import against 1.5 x convert of the same pixels + start-up
    try:
        for side in [int(s) for s in a.sizes.split()]:
            src = sources(side, a.build, a.work)
            zoom = math.ceil(math.log2(side / 160))
            rounds = a.runs if side <= 8000 else a.big_runs
            for kind, path in src.items():
                results = {"import": [], "start-up": [], "gdal_translate": [], "convert": [],
                           "translate+convert": [], "gdal2tiles": []}
                peaks = {k: [] for k in results}
                for r in range(rounds):
                    out = os.path.join(runs_root, f"{side}-{kind}-{r}")
                    os.makedirs(out)
                    s, m = timed([tessella, "import", path, "--name", "BENCH MAP", "--folder", "m",
                                  "--output-dir", os.path.join(out, "import")], a.work)
                    results["import"].append(s)
                    peaks["import"].append(m)
                    # What import costs before it reads a pixel: loading GDAL and its
                    # drivers, then a refusal (the source is missing).
                    s, m = timed([tessella, "import", path + ".missing", "--name", "BENCH MAP", "--folder", "m",
                                  "--output-dir", os.path.join(out, "import")], a.work, refused=True)
                    results["start-up"].append(s)
                    peaks["start-up"].append(m)
                    bmp = os.path.join(out, "gdal.bmp")
                    s1, m1 = timed(["gdal_translate", "-q", "-of", "BMP", path, bmp], a.work)
                    s2, m2 = timed([tessella, "convert", bmp] + settings(side)
                                   + ["--output-dir", os.path.join(out, "convert")], a.work)
                    results["gdal_translate"].append(s1)
                    results["convert"].append(s2)
                    results["translate+convert"].append(s1 + s2)
                    peaks["gdal_translate"].append(m1)
                    peaks["convert"].append(m2)
                    peaks["translate+convert"].append(max(m1, m2))
                    os.remove(bmp)
                    if gdal2tiles:
                        s, m = timed([gdal2tiles, "-q", "-p", "raster", "--tilesize", "160", "-z", str(zoom),
                                      "--processes", "2", "-w", "none", path, os.path.join(out, "tiles")], a.work)
                        results["gdal2tiles"].append(s)
                        peaks["gdal2tiles"].append(m)
                    shutil.rmtree(out)
                    print(f"  {side}^2 {kind} round {r + 1}/{rounds}: import {results['import'][-1]:.2f} s, "
                          f"translate+convert {results['translate+convert'][-1]:.2f} s"
                          + (f", gdal2tiles {results['gdal2tiles'][-1]:.2f} s" if gdal2tiles else ""), flush=True)
                base = statistics.median(results["import"])
                allowed = 1.5 * statistics.median(results["convert"]) + statistics.median(results["start-up"])
                budgets.append((side, kind, base, allowed))
                for name in results:
                    if not results[name]:
                        continue
                    med = statistics.median(results[name])
                    rows.append((side, kind, name, len(results[name]), med, min(results[name]),
                                 max(peaks[name]) / MIB, med / base))
    finally:
        shutil.rmtree(runs_root, ignore_errors=True)

    stamp = time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())
    load = os.getloadavg()
    begin, end = (BUDGET_BEGIN, BUDGET_END) if a.no_gdal2tiles else (BEGIN, END)
    title = "## Import against convert of the same pixels" if a.no_gdal2tiles else \
        "## Import: any georeferenced picture to a map"
    lines = [begin, "", title, "",
             f"Measured {stamp} with `bench/compare.sh` (import rows), load average {load[0]:.2f} "
             f"{load[1]:.2f} {load[2]:.2f} on the shared machine. Sources made from the synthetic map with "
             "`gdal_translate`: a striped GeoTIFF (EPSG:4326) and a baseline JPEG (quality 90) with a world file. "
             "`import` reads the source and writes the map with no file in between; `gdal_translate` + `convert` "
             "writes the intermediate BMP first (its time and peak listed on their own too); "
             + ("`start-up` is import refusing a missing source: loading GDAL and its drivers. " if a.no_gdal2tiles
                else "`gdal2tiles` (`-p raster --tilesize 160 --processes 2 -w none`) makes the one zoom level at "
                     "the picture's own resolution. ")
             + "Times are wall-clock medians; memory is the largest peak resident set (GDAL's own "
             "start-up takes about 44 MiB of it).", "",
             "| Size | Source | Program | Runs | Median s | Min s | Peak MiB | vs import |",
             "|---|---|---|---|---|---|---|---|"]
    for side, kind, name, n, med, low, peak, ratio in rows:
        lines.append(f"| {side}² | {kind} | {name} | {n} | {med:.2f} | {low:.2f} | {peak:.1f} | {ratio:.1f} x |")
    lines += ["", "An uncompressed GeoTIFF against 1.5 × `convert` of the same pixels plus the start-up (medians "
              "of the rows above; the budget is for an uncompressed source, whose reading is a copy, not a decode):", ""]
    for side, kind, took, allowed in [b for b in budgets if b[1] == "tif"]:
        lines.append(f"- {side}² {kind}: import {took:.2f} s, budget {allowed:.2f} s "
                     f"({'within' if took <= allowed else 'over'})")
    lines += ["", end]
    section = "\n".join(lines) + "\n"
    write_section(a.results, begin, end, section)
    print(section)


if __name__ == "__main__":
    sys.exit(main())
