# The module gives what glyphmeter-cli gives for the same files and options, byte for byte.
import json
import pickle

import pytest

import glyphmeter
from conftest import cli_json

OPTIONS = [
    ({}, []),
    ({"ngrams": 2}, ["--ngrams=2"]),
    ({"ngrams": 3, "span_words": True}, ["--ngrams=3", "--span-words"]),
    ({"ngrams": 4}, ["--ngrams=4"]),
]


@pytest.mark.parametrize("options,flags", OPTIONS, ids=lambda value: repr(value))
def test_to_json_is_the_cli_json_of_each_file(samples, options, flags):
    for path in samples.values():
        expected = cli_json(*flags, str(path)).decode()
        result = glyphmeter.count(path, **options)
        assert result.to_json() == expected, path.name
        # The same bytes from memory are standard input to the CLI; read back, the text gives
        # the same counts.
        from_memory = glyphmeter.count_bytes(path.read_bytes(), **options)
        assert from_memory.to_json() == cli_json(*flags, "-", input=path.read_bytes()).decode()
        assert from_memory == result
        assert glyphmeter.Result.from_json(expected) == result
        assert pickle.loads(pickle.dumps(result)) == result


def test_counts_frequencies_and_order_follow_the_cli(samples):
    letters = glyphmeter.count(samples["english.txt"])
    listed = json.loads(letters.to_json())["letters"]
    assert list(letters.counts) == [chr(code) for code in range(ord("A"), ord("Z") + 1)]
    assert letters.counts == {key: value["count"] for key, value in listed.items()}
    assert letters.frequency("e") == letters.counts["E"] / letters.total
    assert sum(letters.counts.values()) == letters.total
    # Sequences by count, equal counts alphabetically, only those that occur.
    pairs = glyphmeter.count(samples["english.txt"], ngrams=2)
    ranked = sorted(pairs.counts.items(), key=lambda item: (-item[1], item[0]))
    assert list(pairs.counts.items()) == ranked and min(pairs.counts.values()) > 0
    assert pairs.frequency("QQ") == 0.0
    assert glyphmeter.count(samples["empty.txt"]).frequencies["A"] == 0.0
    with pytest.raises(KeyError):
        letters.frequency("TH")
    frame = pairs.to_pandas()
    assert list(frame.columns) == ["count", "frequency"]
    assert frame["count"].sum() == pairs.total and frame.index[0] == next(iter(pairs.counts))


def test_letter_limit_stops_each_file_as_in_the_cli(samples, monkeypatch):
    limit = {"GLYPHMETER_LETTER_LIMIT": "1000"}
    monkeypatch.setenv("GLYPHMETER_LETTER_LIMIT", "1000")
    for options, flags in OPTIONS[:2]:
        result = glyphmeter.count(samples["blocks.txt"], **options)
        assert result.limit_reached
        assert result.to_json() == cli_json(*flags, str(samples["blocks.txt"]), env=limit).decode()
    monkeypatch.setenv("GLYPHMETER_LETTER_LIMIT", "0")
    with pytest.raises(ValueError, match="GLYPHMETER_LETTER_LIMIT: not a whole number from 1 to"):
        glyphmeter.count(samples["english.txt"])
