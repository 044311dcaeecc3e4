#!/usr/bin/env python3
"""Speed of a parameter study from Python against the command line.

Times 1000 default-size runs, a grid around the default operating point
(RPM 36:40.9:0.1 x OUTPUT 295:304.5:0.5, every case finishes), as whole
processes: `meltsim-cli sweep --jobs 2 -o /dev/null` against a python3 that
imports meltsim and calls meltsim.sweep(jobs=2). The two alternate, so that
a change of the machine's load hits both alike; the medians and their
ratio are printed (the target is at most 1.2).

    python3 bench/python_sweep_bench.py [--build build] [--runs 7] [--jobs 2]
"""

import argparse
import csv
import io
import os
import re
import resource
import statistics
import subprocess
import sys
import time
from pathlib import Path

TARGET_RATIO = 1.2

# START, STOP, STEP of the two axes; the command line's ranges compute value i
# as START + i*STEP, and so does the Python side.
RPM = (36.0, 40.9, 0.1, 50)
OUTPUT = (295.0, 304.5, 0.5, 20)

PYTHON_SWEEP = """
import sys
import time
import meltsim
jobs, rpm, output = int(sys.argv[1]), {rpm!r}, {output!r}
start = time.perf_counter()
result = meltsim.sweep({{"RPM": [rpm[0] + i * rpm[2] for i in range(rpm[3])],
                        "OUTPUT": [output[0] + i * output[2] for i in range(output[3])]}}, jobs)
if len(result) != {cases} or set(result["status"]) != {{"ok"}} or not result["QSQT"].max() < 1:
    sys.exit("not every case finished")
print(f"sweep: in {{time.perf_counter() - start:.3f}} s", file=sys.stderr)
"""


def cli_command(cli, jobs, output="/dev/null"):
    return [cli, "sweep", "--vary", f"RPM={RPM[0]}:{RPM[1]}:{RPM[2]}",
            "--vary", f"OUTPUT={OUTPUT[0]}:{OUTPUT[1]}:{OUTPUT[2]}",
            "--jobs", str(jobs), "-o", output]


def python_command(jobs):
    script = PYTHON_SWEEP.format(cases=RPM[3] * OUTPUT[3], rpm=RPM, output=OUTPUT)
    return ["/usr/bin/python3", "-c", script, str(jobs)]


def timed(command, env):
    """Wall time and CPU time (user + system) of one whole process, and the
    time of the sweep alone as the process reports it ("... in 0.88 s")."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    sweep = float(re.search(r"sweep: .*in ([0-9.]+) s", done.stderr).group(1))
    return wall, cpu, sweep


def check_same_results(cli, jobs, env):
    """Both sides compute the same 1000 cases: the grids and QSQT agree exactly."""
    csv_text = subprocess.run(cli_command(cli, jobs, "-"), check=True, capture_output=True,
                              text=True).stdout
    rows = list(csv.DictReader(io.StringIO(csv_text)))
    script = PYTHON_SWEEP.format(cases=len(rows), rpm=RPM, output=OUTPUT) + (
        "\nfor k in ('RPM', 'OUTPUT', 'QSQT'):\n"
        "    print(' '.join(repr(float(v)) for v in result[k]))\n")
    out = subprocess.run(["/usr/bin/python3", "-c", script, str(jobs)],
                         env=env, check=True, capture_output=True, text=True).stdout.splitlines()
    for line, key in zip(out, ("RPM", "OUTPUT", "QSQT")):
        if [float(v) for v in line.split()] != [float(row[key]) for row in rows]:
            sys.exit(f"the Python sweep's {key} differs from the command line's")
    if len(rows) != RPM[3] * OUTPUT[3] or any(row["status"] != "ok" for row in rows):
        sys.exit("the grid is not 1000 cases that all finish")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    root = Path(__file__).resolve().parent.parent
    parser.add_argument("--build", default=root / "build", type=Path,
                        help="build folder with meltsim-cli and python/meltsim")
    parser.add_argument("--runs", default=7, type=int, help="timed runs of each side (>= 5)")
    parser.add_argument("--jobs", default=2, type=int)
    args = parser.parse_args()
    cli = str(args.build / "meltsim-cli")
    env = dict(os.environ, PYTHONPATH=str(args.build / "python"))

    check_same_results(cli, args.jobs, env)
    sides = {"meltsim-cli sweep": cli_command(cli, args.jobs),
             "python3 meltsim.sweep": python_command(args.jobs)}
    times = {name: [] for name in sides}
    for name, command in sides.items():  # one untimed run each: caches warm
        timed(command, env)
    for _ in range(max(args.runs, 1)):
        for name, command in sides.items():
            times[name].append(timed(command, env))

    print(f"1000 runs (RPM {RPM[3]} x OUTPUT {OUTPUT[3]}), --jobs {args.jobs}, "
          f"{args.runs} runs each, whole processes")
    medians = {}
    for name, samples in times.items():
        walls = sorted(wall for wall, _, _ in samples)
        medians[name] = statistics.median(walls)
        cpu = statistics.median(c for _, c, _ in samples)
        sweep = statistics.median(s for _, _, s in samples)
        print(f"  {name:22s} wall median {medians[name]:.3f} s  (min {walls[0]:.3f}, "
              f"max {walls[-1]:.3f})  cpu median {cpu:.3f} s  sweep alone median {sweep:.3f} s")
    ratio = medians["python3 meltsim.sweep"] / medians["meltsim-cli sweep"]
    # Each Python run against the command line run just before it: the pairs
    # share the machine's load of the moment.
    pairs = [py[0] / cli[0] for cli, py in zip(*times.values())]
    print(f"  ratio python/cli of each pair: median {statistics.median(pairs):.3f} "
          f"(min {min(pairs):.3f}, max {max(pairs):.3f})")
    verdict = "within" if ratio <= TARGET_RATIO else "ABOVE"
    print(f"  ratio python/cli of the medians: {ratio:.3f} ({verdict} the target {TARGET_RATIO})")
    return 0 if ratio <= TARGET_RATIO else 1


if __name__ == "__main__":
    sys.exit(main())
