# Counting over a Dask cluster: the total equals one glyphmeter-cli run over the same files, even
# when a worker dies in the middle.
import json
import os
import random

import pytest

import glyphmeter
import glyphmeter.dask
from conftest import ENGLISH, cli_json, run_cli

distributed = pytest.importorskip("distributed")


class KillAtThirdBatch(distributed.WorkerPlugin):
    """Ends its worker process as it finishes its third batch, once in the whole cluster."""

    def __init__(self, marker):
        self.marker = marker
        self.finished = 0

    def transition(self, key, start, finish, **kwargs):
        if finish != "memory" or "_count_batch" not in str(key):
            return
        self.finished += 1
        if self.finished == 3:
            try:
                os.close(os.open(self.marker, os.O_CREAT | os.O_EXCL | os.O_WRONLY))
            except FileExistsError:
                return
            os._exit(1)


def corpus(folder, count):
    rng = random.Random(7)
    text = ENGLISH * 20
    paths = []
    for index in range(count):
        path = folder / f"{index:04}"
        start = rng.randrange(len(text) // 2)
        path.write_bytes(text[start:start + rng.randrange(1, len(text) // 2)])
        paths.append(str(path))
    return paths


def test_a_killed_worker_changes_nothing_in_the_total(tmp_path):
    paths = corpus(tmp_path, 300)
    expected = glyphmeter.Result.from_json(json.dumps(json.loads(cli_json(*paths))[-1]))
    missing = str(tmp_path / "missing")
    marker = str(tmp_path / "killed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  host="127.0.0.1", dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        client.register_worker_plugin(KillAtThirdBatch(marker))
        total, failures = glyphmeter.dask.count_files(paths[:150] + [missing] + paths[150:],
                                                      client, batch_size=10)
    assert os.path.exists(marker)
    assert total == expected
    assert [(path, type(error), error.filename) for path, error in failures] == [
        (missing, FileNotFoundError, missing)]


def test_without_a_client_a_local_cluster_counts_every_batch_given(tmp_path):
    # The second half repeats the first batch for batch: the same tasks, each added again.
    paths = corpus(tmp_path, 40) * 2
    expected = glyphmeter.Result.from_json(
        json.dumps(json.loads(cli_json("--ngrams=2", *paths))[-1]))
    outcome = glyphmeter.dask.count_files(paths, batch_size=8, ngrams=2)
    assert outcome.total == expected and outcome.failures == []
    with pytest.raises(TypeError, match="not one path"):
        glyphmeter.dask.count_files(paths[0])


def test_alphabet_options_reach_the_workers_and_their_warnings_the_caller(tmp_path):
    paths = []
    for index in range(5):
        path = tmp_path / f"{index}.txt"
        path.write_bytes("Grüße aus Köln, ÄÖÜ\n".encode() * (index + 1) + b"\xff" * (index % 2))
        paths.append(str(path))
    status, out, err = run_cli("--json", "--letters=äöüß", *paths)
    assert status == 0, err
    expected = glyphmeter.Result.from_json(json.dumps(json.loads(out)[-1]), alphabet="custom")
    with pytest.warns(UnicodeWarning) as caught:
        outcome = glyphmeter.dask.count_files(paths, batch_size=2, letters="äöüß")
    assert outcome.total == expected and outcome.total.alphabet == "custom"
    assert [str(w.message) for w in caught if w.category is UnicodeWarning] == [
        line.removeprefix("glyphmeter-cli: ") for line in err.splitlines()]
