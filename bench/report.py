#!/usr/bin/env python3
"""Runs every benchmark of a Release build and prints one table: what is measured, the
baseline it is compared with, the ratio, the target and whether it is met.

    bench/report.py BUILD_DIR [--markdown] [--only NAME,...]

Timings are taken in one run per benchmark, so a ratio compares figures measured side by
side on the same machine under the same load."""

import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class Row:
    def __init__(self, what, value, unit, baseline_name="", baseline=None, target=None,
                 target_text=""):
        self.what = what
        self.value = value
        self.unit = unit
        self.baseline_name = baseline_name
        self.baseline = baseline
        # target: ("ratio<=", x), ("value<=", x) or None
        self.target = target
        self.target_text = target_text

    def ratio(self):
        if self.baseline:
            return self.value / self.baseline
        return None

    def met(self):
        if self.target is None:
            return ""
        kind, limit = self.target
        measured = self.ratio() if kind == "ratio<=" else self.value
        if measured is None:
            return "?"
        return "yes" if measured <= limit else "NO"


def fmt(value, unit):
    if value is None:
        return ""
    if unit == "ms":
        return f"{value:.2f} ms" if value < 10 else f"{value:.1f} ms"
    if unit == "MiB":
        return f"{value:.1f} MiB"
    if unit == "MiB/s":
        return f"{value:.0f} MiB/s"
    return f"{value:g} {unit}"


def run(cmd, env=None, **kw):
    print("bench: " + " ".join(cmd), file=sys.stderr, flush=True)
    full_env = dict(os.environ)
    if env:
        full_env.update(env)
    return subprocess.run(cmd, env=full_env, check=True, stdout=subprocess.PIPE, text=True, **kw)


def gbench(build, exe, filt=None, extra=(), env=None):
    """Runs a Google Benchmark executable; returns {name: benchmark entry} (aggregates
    under their aggregate names)."""
    cmd = [os.path.join(build, exe), "--benchmark_format=json"]
    if filt:
        cmd.append("--benchmark_filter=" + filt)
    cmd.extend(extra)
    out = run(cmd, env=env).stdout
    data = json.loads(out[out.index("{"):])
    return {b["name"]: b for b in data["benchmarks"]}


def ms(entry):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry.get("time_unit", "ns")]
    return entry["real_time"] * scale


def on_display(cmd):
    if os.environ.get("DISPLAY"):
        return cmd
    return ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24"] + cmd


def startup(build):
    exports = tempfile.mkdtemp()
    out = os.path.join(exports, "startup.json")
    home = tempfile.mkdtemp()
    # The three programs take turns, so that the machine's load reaches them alike.
    cmd = on_display([sys.executable, os.path.join(ROOT, "bench/startup/interleave.py"),
                      "--warmup", "3", "--runs", os.environ.get("BENCH_RUNS", "30"),
                      "--json", out,
                      "empty window=" + os.path.join(build, "bench/startup/startup_baseline"),
                      "text floor=" + os.path.join(build, "bench/startup/startup_text_floor"),
                      "program=" + os.path.join(build, "src/app/Arlo迷")])
    run(cmd, env={"ARLO_EXIT_WHEN_SHOWN": "filled", "HOME": home})
    results = {r["command"]: r for r in json.load(open(out))["results"]}
    shutil.rmtree(exports, ignore_errors=True)
    shutil.rmtree(home, ignore_errors=True)
    med = {k: statistics.median(v["times"]) * 1000 for k, v in results.items()}
    return [
        Row("start-up to Main window painted, list filled", med["program"], "ms",
            "plain Qt window, same text", med["text floor"], ("ratio<=", 1.25), "<= 1.25x"),
        Row("start-up (same run)", med["program"], "ms", "empty Qt window", med["empty window"]),
    ]


def episode_list(build):
    # Keyed by name and row count alone ("BM_FirstFill/100000"), without the suffixes that
    # Google Benchmark adds for fixed iterations and real time.
    b = {"/".join(p for p in name.split("/") if not p.startswith(("iterations:", "real_time"))):
         entry for name, entry in gbench(build, "bench/episode_list/bench_episode_list",
                                         "BM_KeystrokeToResultsOnScreen|BM_FirstFill|"
                                         "BM_ProxyFilterReference").items()}
    median = {name: entry["median_us"] / 1000 for name, entry in b.items()}
    ref = median["BM_ProxyFilterReference"]
    rows = [Row("keystroke to results on screen, 742 rows (median)",
                median["BM_KeystrokeToResultsOnScreen/742"], "ms",
                "QSortFilterProxyModel, same rows", ref)]
    for size, target in ((10000, 2.0), (100000, 16.0)):
        rows.append(Row(f"keystroke to results on screen, {size:,} rows (median)",
                        median[f"BM_KeystrokeToResultsOnScreen/{size}"], "ms", "", None,
                        ("value<=", target), f"<= {target:g} ms"))
    for size, target in ((742, None), (10000, None), (100000, 16.0)):
        rows.append(Row(f"first fill, {size:,} rows (median)", median[f"BM_FirstFill/{size}"],
                        "ms", "", None, ("value<=", target) if target else None,
                        f"<= {target:g} ms" if target else ""))
    return rows


def preview(build):
    # Repetitions of both, interleaved in random order, so that a change in the machine's load
    # falls on both alike; the medians are compared.
    b = gbench(build, "bench/preview_load/bench_preview_load",
               "BM_RowToSliderEnabled|BM_FetchAndDecodeOnly",
               ["--benchmark_min_time=0.5", "--benchmark_repetitions=" +
                os.environ.get("BENCH_REPETITIONS", "12"),
                "--benchmark_enable_random_interleaving=true",
                "--benchmark_report_aggregates_only=true"],
               env={"QT_QPA_PLATFORM": "offscreen"})
    return [Row("slide preview: row chosen to slider enabled (median)",
                ms(b["BM_RowToSliderEnabled/real_time_median"]), "ms",
                "fetch the sheets + decode each once", ms(b["BM_FetchAndDecodeOnly/real_time_median"]),
                ("ratio<=", 1.1), "<= 1.1x")]


def flash_player(build, *args):
    """Runs bench_flash_player once; returns its measurements as {name: [values]}."""
    # The page engine refuses to start its sandbox as root; the tests run it the same way.
    env = {"QTWEBENGINE_DISABLE_SANDBOX": "1"} if os.geteuid() == 0 else None
    out = run([os.path.join(build, "bench/flash_player/bench_flash_player"), *args], env=env).stdout
    values = {}
    for line in out.split():
        if "=" in line:
            name, value = line.split("=", 1)
            values.setdefault(name, []).append(float(value))
    return values


def player(build):
    # A first Play happens once per process: each run is a process of its own, the cold ones
    # with and without the emulator taking turns so that the machine's load reaches both alike.
    runs = int(os.environ.get("BENCH_PLAYER_RUNS", "5"))
    values = {}
    for _ in range(runs):
        for args in (["cold"], ["white"], ["warm", "4"]):
            for name, found in flash_player(build, *args).items():
                values.setdefault(name, []).extend(found)
    med = {name: statistics.median(found) for name, found in values.items()}
    count = {name: len(found) for name, found in values.items()}
    return [
        Row(f"first Play, engine not started, to first frame (median of {count['first_cold_ms']})",
            med["first_cold_ms"], "ms", "same page, plain view (white)",
            med["white_first_cold_ms"], None, "report"),
        Row(f"first Play, engine prepared, to first frame (median of {count['first_warm_ms']})",
            med["first_warm_ms"], "ms", "same page, plain view (white)",
            med["white_first_warm_ms"], ("value<=", 250), "<= 250 ms"),
        Row(f"next episode to first frame (median of {count['next_ms']})", med["next_ms"], "ms",
            "same page, plain view (white)", med["white_next_ms"], ("value<=", 150), "<= 150 ms"),
        Row(f"source switch to first frame (median of {count['switch_ms']})", med["switch_ms"],
            "ms", "same page, plain view (white)", med["white_switch_ms"], ("value<=", 150),
            "<= 150 ms"),
    ]


def memory(build):
    out = run([os.path.join(build, "bench/memory/bench_memory")],
              env={"QT_QPA_PLATFORM": "offscreen"}).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    start = float(values["rss_after_start_kib"]) / 1024
    after = float(values["rss_after_rows_kib"]) / 1024
    rows_chosen = values.get("rows", "200")
    # All the processes: the program's and the page engine's (renderer, zygotes, the others).
    engine = {name: found[0] / 1024 for name, found in flash_player(build, "memory").items()}
    return [Row("RSS after start-up", start, "MiB"),
            Row(f"RSS after {rows_chosen} Mandarin rows chosen (covers, previews)", after, "MiB",
                "RSS after start-up", start, ("value<=", start + 20), "<= start-up + 20 MiB"),
            Row("idle, engine prepared: PSS of all processes", engine["pss_prepared_kib"], "MiB",
                "idle, no engine", engine["pss_before_kib"],
                ("value<=", engine["pss_before_kib"] + 80), "<= no engine + 80 MiB"),
            Row("idle, engine prepared: RSS of all processes", engine["rss_prepared_kib"], "MiB",
                "idle, no engine", engine["rss_before_kib"])]


def net(build):
    b = {name.split("/iterations:")[0]: entry
         for name, entry in gbench(build, "bench/net/bench_net").items()}
    return [Row("page fetch over loopback", ms(b["BM_FetchPage"]), "ms", "bare libcurl",
                ms(b["BM_BareCurl"]))]


SECTIONS = {
    "startup": startup,
    "episode_list": episode_list,
    "preview": preview,
    "player": player,
    "memory": memory,
    "net": net,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--markdown", action="store_true")
    parser.add_argument("--only", default="")
    args = parser.parse_args()
    names = [n for n in args.only.split(",") if n] or list(SECTIONS)
    rows = []
    failed = []
    for name in names:
        try:
            rows.extend(SECTIONS[name](args.build))
        except (subprocess.CalledProcessError, KeyError, ValueError) as e:
            print(f"bench: {name} failed: {e}", file=sys.stderr)
            failed.append(name)
    header = ["measured", "value", "baseline", "baseline value", "ratio", "target", "met"]
    table = [[r.what, fmt(r.value, r.unit), r.baseline_name, fmt(r.baseline, r.unit),
              f"{r.ratio():.2f}x" if r.ratio() is not None else "", r.target_text, r.met()]
             for r in rows]
    if args.markdown:
        print("| " + " | ".join(header) + " |")
        print("|" + "---|" * len(header))
        for t in table:
            print("| " + " | ".join(t) + " |")
    else:
        widths = [max(len(h), *(len(t[i]) for t in table)) if table else len(h)
                  for i, h in enumerate(header)]
        print("  ".join(h.ljust(w) for h, w in zip(header, widths)))
        for t in table:
            print("  ".join(c.ljust(w) for c, w in zip(t, widths)))
    if failed:
        print("bench: failed: " + ", ".join(failed), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
