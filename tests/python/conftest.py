# Shared pieces of the Python module's tests: glyphmeter-cli of the same build, sample files, and
# a time limit on every test.
import faulthandler
import json
import os
import subprocess

import pytest

CLI = os.environ.get("GLYPHMETER_CLI", "glyphmeter-cli")

ENGLISH = (b"It was the best of times, it was the worst of times; THE AGE of wisdom...\n"
           b"Quizzical jackdaws vex my big sphinx of quartz. 1234 \xc3\xa9t\xc3\xa9\n")


@pytest.fixture(autouse=True)
def time_limit():
    # A hung test ends the run with every thread's stack instead of hanging ctest.
    faulthandler.dump_traceback_later(90, exit=True)
    yield
    faulthandler.cancel_dump_traceback_later()


def run_cli(*args, env=None, input=None):
    """glyphmeter-cli's exit status, standard output (bytes) and standard error (text)."""
    done = subprocess.run([CLI, *args], capture_output=True, timeout=60, input=input,
                          env={**os.environ, **(env or {})})
    return done.returncode, done.stdout, done.stderr.decode()


def cli_json(*args, env=None, input=None):
    status, out, err = run_cli("--json", *args, env=env, input=input)
    assert status == 0, err
    return out


@pytest.fixture(scope="session")
def samples(tmp_path_factory):
    """Files that exercise the readers: text, UTF-16 both ways, empty, bytes 0-255, many blocks."""
    folder = tmp_path_factory.mktemp("samples")
    contents = {
        "english.txt": ENGLISH * 40,
        "utf16le.txt": b"\xff\xfe" + ("Hello, Wörld – τε\n" * 50).encode("utf-16-le"),
        "utf16be.txt": b"\xfe\xff" + ("Zebra QUIZ\n" * 50).encode("utf-16-be"),
        "empty.txt": b"",
        "allbytes.bin": bytes(range(256)) * 64,
        "blocks.txt": ENGLISH * 30000,  # several megabytes: both readers, many blocks
    }
    paths = {}
    for name, data in contents.items():
        path = folder / name
        path.write_bytes(data)
        paths[name] = path
    return paths
