"""The timings of bench/compare-python-with-cli: usage python_vs_cli.py CLI BIG_FILE CORPUS."""
import collections
import json
import os
import statistics
import subprocess
import sys
import time

import glyphmeter
import glyphmeter.dask

RUNS = 7


def median_seconds(action, runs=RUNS):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def paired(first, second, runs=RUNS):
    """Medians of two actions timed taking turns, run after run, so drift in a shared machine's
    speed falls on both alike."""
    times = ([], [])
    for _ in range(runs):
        for action, kept in zip((first, second), times):
            start = time.perf_counter()
            action()
            kept.append(time.perf_counter() - start)
    return statistics.median(times[0]), statistics.median(times[1])


def run_cli(cli, *args):
    subprocess.run([cli, *args], check=True, stdout=subprocess.DEVNULL)


def show(what, seconds, cli_seconds):
    print(f"  {what:<44} {seconds * 1000:9.1f} ms  ({seconds / cli_seconds:.2f}x the CLI)")


def counter_letters(paths):
    counts = collections.Counter()
    for path in paths:
        with open(path, "rb") as file:
            counts.update(file.read())
    return sum(counts[code] for code in b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")


def main():
    cli, big, corpus = sys.argv[1:4]
    paths = sorted(os.path.join(corpus, name) for name in os.listdir(corpus))
    for path in [big, *paths]:  # into the page cache
        with open(path, "rb") as file:
            while file.read(1 << 24):
                pass

    print(f"1 GiB ({big}), medians of {RUNS}, each pair taking turns:")
    cli_big, module_big = paired(lambda: run_cli(cli, "--csv", big),
                                 lambda: glyphmeter.count(big))
    print(f"  {'glyphmeter-cli --csv (whole process)':<44} {cli_big * 1000:9.1f} ms")
    show("glyphmeter.count", module_big, cli_big)
    cli_pairs, module_pairs = paired(lambda: run_cli(cli, "--ngrams=2", "--csv", big),
                                     lambda: glyphmeter.count(big, ngrams=2))
    print(f"  {'glyphmeter-cli --ngrams=2 --csv':<44} {cli_pairs * 1000:9.1f} ms")
    show("glyphmeter.count(ngrams=2)", module_pairs, cli_pairs)

    print(f"{len(paths)} files of 1-64 KiB ({corpus}), medians of {RUNS}:")
    cli_files, module_files = paired(
        lambda: run_cli(cli, "--csv", *paths),
        lambda: glyphmeter.add(r for _, r in glyphmeter.count_files(paths)))
    print(f"  {'glyphmeter-cli --csv FILES (whole process)':<44} {cli_files * 1000:9.1f} ms")
    show("glyphmeter.count_files, added up", module_files, cli_files)
    show("glyphmeter.count, one file after another",
         median_seconds(lambda: glyphmeter.add(glyphmeter.count(p) for p in paths), 3), cli_files)
    startup = median_seconds(lambda: subprocess.run(
        [sys.executable, "-c", "import glyphmeter"], check=True), 3)
    label = "(python3 -c 'import glyphmeter' alone)"
    print(f"  {label:<44} {startup * 1000:9.1f} ms")
    show("collections.Counter over the files' bytes",
         median_seconds(lambda: counter_letters(paths), 1), cli_files)

    total = json.loads(subprocess.run([cli, "--json", *paths], check=True,
                                      capture_output=True).stdout)[-1]["total"]
    assert counter_letters(paths) == total
    start = time.perf_counter()
    outcome = glyphmeter.dask.count_files(paths)
    started_and_counted = time.perf_counter() - start
    assert outcome.total.total == total and not outcome.failures
    show("glyphmeter.dask.count_files, client=None", started_and_counted, cli_files)
    from distributed import Client, LocalCluster
    with LocalCluster(host="127.0.0.1", dashboard_address=None, n_workers=2,
                      threads_per_worker=1) as cluster, Client(cluster) as client:
        glyphmeter.dask.count_files(paths[:100], client)  # workers warmed up
        show("glyphmeter.dask.count_files, running cluster",
             median_seconds(lambda: glyphmeter.dask.count_files(paths, client), 3), cli_files)


if __name__ == "__main__":
    main()
