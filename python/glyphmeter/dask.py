"""Counting a list of files over a Dask cluster.

The list is cut into batches; each batch is counted on one of the cluster's workers, which reads
the files itself (from storage every node sees at the same paths). The batches' results are added
at the caller, once each: a batch a lost worker held is counted again by Dask, and only the copy
that reaches the caller is added.
"""

from __future__ import annotations

import os
import warnings
from typing import Any, List, NamedTuple, Optional, Sequence, Tuple

import glyphmeter

__all__ = ["Outcome", "count_files"]


class Outcome(NamedTuple):
    """The total of the files counted, and each file that could not be counted with why."""

    total: glyphmeter.Result
    failures: List[Tuple[Any, OSError]]


def _count_batch(paths: Sequence[Any], options: Tuple[Any, ...]
                 ) -> Tuple[glyphmeter.Result, list, list]:
    # One task a batch, on one of the worker's threads: Dask runs as many side by side as the
    # worker has threads. The options come checked from the caller, its letter limit with them.
    # A file's warning is handed back, to be given at the caller, where someone sees it.
    checked = glyphmeter._Options.of(options)
    total = glyphmeter.Result._empty(checked)
    failures = []
    warned = []
    for path, outcome in glyphmeter._counted(iter(paths), checked, 1):
        if isinstance(outcome, OSError):
            failures.append((path, outcome))
        else:
            if outcome._counts.warning:
                warned.append((outcome.file, outcome._counts.warning))
            total = total + outcome
    return total, failures, warned


def count_files(
    paths: Sequence[Any],
    client: Optional[Any] = None,
    *,
    batch_size: int = 500,
    **options: Any,
) -> Outcome:
    """Counts the files at `paths` on the workers of `client`'s cluster and adds them up.

    `options` are those of glyphmeter.count (alphabet, letters, fold_accents, encoding, ngrams,
    span_words), checked here. Each file's UnicodeWarning on invalid sequences is given here, in
    the order of the files, once all are counted. With client=None a local cluster is started
    for the call, one worker process per processor, listening on 127.0.0.1 only and without a
    dashboard, and closed afterwards. Returns Outcome(total, failures); the
    failures name their files, in the order given.
    """
    if isinstance(paths, (str, bytes, os.PathLike)):
        raise TypeError("count_files takes a list of paths, not one path")
    checked = glyphmeter._options(**options)  # wrong options fail here, not on every worker
    if isinstance(batch_size, bool) or not isinstance(batch_size, int) or batch_size < 1:
        raise ValueError(f"batch_size must be a whole number of at least 1, not {batch_size!r}")
    paths = list(paths)
    batches = [paths[start:start + batch_size] for start in range(0, len(paths), batch_size)]

    cluster = None
    if client is None:
        from distributed import Client, LocalCluster

        cluster = LocalCluster(host="127.0.0.1", dashboard_address=None, processes=True,
                               n_workers=glyphmeter._glyphmeter.processor_count(),
                               threads_per_worker=1)
        client = Client(cluster)
    try:
        from distributed import as_completed

        # Pure tasks: a batch's task has one key, so it is counted once unless its worker is lost.
        futures = client.map(_count_batch, batches, options=checked.args(), pure=True)
        # Batches naming the same files share a task (and its future), yet each is added.
        places: dict = {}
        for position, future in enumerate(futures):
            places.setdefault(id(future), []).append(position)
        total = glyphmeter.Result._empty(checked)
        failures_by_batch: List[list] = [[] for _ in batches]
        warned_by_batch: List[list] = [[] for _ in batches]
        for future, (batch_total, failures, warned) in as_completed(futures, with_results=True):
            total = total + batch_total
            position = places[id(future)].pop(0)
            failures_by_batch[position] = failures
            warned_by_batch[position] = warned
        for batch in warned_by_batch:
            for file, warning in batch:
                warnings.warn(f"{file}: {warning}", UnicodeWarning, stacklevel=2)
        return Outcome(total, [failure for batch in failures_by_batch for failure in batch])
    finally:
        if cluster is not None:
            client.close()
            cluster.close()
