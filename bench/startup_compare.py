#!/usr/bin/env python3
"""Start-up of the everyday tessella: what a short command costs, interleaved round by
round, each in wall-clock time with the picture and the programs in the page cache:

  version          `tessella --version`: loading the program and its libraries
  convert          `convert --dry-run` of the bundled sample with typed extents: start-up,
                   the bitmap's probe and every check, nothing written
  convert auto     the same with `--east-west auto --north-south auto`, which tessella
                   works out itself with GeographicLib
  georef auto      the same run by tessella-georef, the program with GDAL that tessella
                   handed auto extents over to before (its GDAL libraries loaded at start)
  NAME ...         with --baseline NAME=TESSELLA (as often as wanted), the first two with
                   another build of tessella: one without GeographicLib, which handed auto
                   extents over to tessella-georef, or one with it as a shared library

Writes its section of bench/RESULTS.md (kept by bench/compare.py). Run through
bench/compare.sh --startup-only, which builds the programs first."""

import argparse
import os
import statistics
import subprocess
import sys
import time

from results_section import write_section

BEGIN = "<!-- start-up rows: bench/startup_compare.py -->"
END = "<!-- end of start-up rows -->"


def parse_args():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--build", required=True, help="build folder with the release programs")
    p.add_argument("--results", required=True, help="the results file to write the section into")
    p.add_argument("--sample", required=True, help="the bundled sample bitmap")
    p.add_argument("--baseline", action="append", default=[], metavar="NAME=TESSELLA",
                   help="another tessella to compare with, named NAME in the table")
    p.add_argument("--runs", type=int, default=41, help="rounds")
    p.add_argument("--note", default="", help="a sentence for the results: what the baselines are")
    return p.parse_args()


def main():
    a = parse_args()
    tessella = os.path.join(a.build, "cli", "tessella")
    georef = os.path.join(a.build, "cli", "tessella-georef")
    typed = ["convert", a.sample, "--name", "East Asia", "--folder", "eastasia", "--top-left",
             "47:48:45,120:56:15", "--bottom-right", "30:56:15,146:15:00", "--dry-run", "--quiet"]
    metres = ["--east-west", "2178179", "--north-south", "1872281"]
    auto = ["--east-west", "auto", "--north-south", "auto"]
    table = [("version", [tessella, "--version"]),
             ("convert", [tessella] + typed + metres),
             ("convert auto", [tessella] + typed + auto)]
    if os.path.exists(georef):
        table.append(("georef auto", [georef] + typed + auto))
    for baseline in a.baseline:
        name, program = baseline.split("=", 1)
        table += [(f"{name}: version", [program, "--version"]), (f"{name}: convert", [program] + typed + metres)]

    times = {name: [] for name, _ in table}
    for name, command in table:  # one untimed round: the page cache
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    for r in range(a.runs):
        for name, command in table[r % len(table):] + table[:r % len(table)]:
            start = time.perf_counter()
            subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
            times[name].append(time.perf_counter() - start)

    base = statistics.median(times["convert"])
    stamp = time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())
    load = os.getloadavg()
    lines = [BEGIN, "", "## Start-up: short commands of the everyday tessella", "",
             f"Measured {stamp} with `bench/startup_compare.py`"
             + " (`bench/compare.sh --startup-only" + "".join(f" --baseline {b.split('=')[0]}=..." for b in a.baseline)
             + "`)"
             + f", load average {load[0]:.2f} {load[1]:.2f} {load[2]:.2f} on the shared machine. {a.runs} "
             "interleaved rounds, wall-clock, programs and the bundled sample (960 x 640) in the page cache; "
             "`--dry-run` reads and checks the bitmap and writes nothing. `auto` works the extents out with "
             "GeographicLib, linked statically into tessella; `tessella-georef` is the program with GDAL that "
             "tessella handed `auto` over to before." + (" " + a.note if a.note else ""), "",
             "| Command | Runs | Median ms | Min ms | vs convert |", "|---|---|---|---|---|"]
    for name, _ in table:
        med = statistics.median(times[name])
        lines.append(f"| {name} | {len(times[name])} | {med * 1000:.1f} | {min(times[name]) * 1000:.1f} | "
                     f"{med / base:.2f} x |")
    lines += ["", END]
    section = "\n".join(lines) + "\n"
    write_section(a.results, BEGIN, END, section)
    print(section)


if __name__ == "__main__":
    sys.exit(main())
