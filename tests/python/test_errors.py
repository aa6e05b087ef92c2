# Failures become the matching Python exceptions, with the reason glyphmeter-cli gives.
import errno
import os

import pytest

import glyphmeter
from conftest import run_cli


def cli_reason(path):
    status, _, err = run_cli(str(path))
    assert status == 1
    prefix = f"glyphmeter-cli: {path}: "
    assert err.startswith(prefix), err
    return err[len(prefix):].rstrip("\n")


def test_file_errors_carry_errno_filename_and_the_cli_reason(tmp_path):
    cases = [(tmp_path / "missing.txt", FileNotFoundError, errno.ENOENT),
             (tmp_path, IsADirectoryError, errno.EISDIR),
             (tmp_path / "missing" / "x", FileNotFoundError, errno.ENOENT)]
    if os.geteuid() != 0:  # root reads every file
        locked = tmp_path / "locked.txt"
        locked.write_bytes(b"abc")
        locked.chmod(0)
        cases.append((locked, PermissionError, errno.EACCES))
    for path, kind, number in cases:
        with pytest.raises(kind) as raised:
            glyphmeter.count(path)
        assert raised.value.errno == number
        assert raised.value.filename == str(path)
        assert raised.value.strerror == cli_reason(path)


def test_a_name_that_is_not_utf8_is_kept(tmp_path):
    path = os.fsencode(tmp_path) + b"/caf\xe9.txt"
    with open(path, "wb") as file:
        file.write(b"abc")
    result = glyphmeter.count(path)
    assert result.total == 3 and os.fsencode(result.file) == path
    assert "caf\\ufffd.txt" in result.to_json() or "caf\ufffd.txt" in result.to_json()


@pytest.mark.parametrize("options,error,message", [
    ({"ngrams": 5}, ValueError, r"sequence length from 2 to 4 \(1 counts single letters\), not 5"),
    ({"ngrams": "2"}, TypeError, "ngrams must be an int"),
    ({"span_words": True}, ValueError, "span_words applies to ngrams, which is not given"),
    ({"alphabet": 3}, TypeError, "alphabet must be a str"),
    ({"letters": b"ABC"}, TypeError, "letters must be a str"),
    ({"workers": 0}, ValueError, "workers must be at least 1"),
])
def test_bad_options_name_the_parameter(samples, options, error, message):
    with pytest.raises(error, match=message):
        if "workers" in options:
            glyphmeter.count_files([samples["english.txt"]], **options)
        else:
            glyphmeter.count(samples["english.txt"], **options)


def test_count_bytes_takes_only_contiguous_bytes():
    assert glyphmeter.count_bytes(memoryview(b"abcd")[1:]).total == 3
    assert glyphmeter.count_bytes(bytearray(b"xyz")).counts["X"] == 1
    with pytest.raises(TypeError, match="bytes-like"):
        glyphmeter.count_bytes("text")
    with pytest.raises(BufferError):
        glyphmeter.count_bytes(memoryview(b"abcdef")[::2])
    with pytest.raises(TypeError):
        glyphmeter.count(42)
