# Results add up to what glyphmeter-cli reports as the total of the same files in one run.
import json

import pytest

import glyphmeter
from conftest import cli_json, run_cli


@pytest.mark.parametrize("options,flags", [({}, []), ({"ngrams": 2, "span_words": True},
                                                      ["--ngrams=2", "--span-words"])])
def test_sum_of_results_is_the_cli_total(samples, options, flags):
    paths = [str(path) for path in samples.values()]
    total = json.loads(cli_json(*flags, *paths))[-1]
    assert total["file"] == "*total*"
    expected = glyphmeter.Result.from_json(json.dumps(total))
    results = [glyphmeter.count(path, **options) for path in paths]
    assert sum(results) == expected
    assert glyphmeter.add(results) == expected
    assert sum(results[1:], results[0]) == expected
    counted = [result for _, result in glyphmeter.count_files(paths, workers=2, **options)]
    assert glyphmeter.add(counted) == expected
    # The total's own JSON object is the CLI's, but for its indentation in the list.
    assert glyphmeter.add(results).to_json() == glyphmeter.Result.from_json(
        json.dumps(total)).to_json()


def test_a_sum_with_a_limited_result_stays_limited(samples, monkeypatch):
    monkeypatch.setenv("GLYPHMETER_LETTER_LIMIT", "500")
    limited = glyphmeter.count(samples["blocks.txt"])
    monkeypatch.delenv("GLYPHMETER_LETTER_LIMIT")
    whole = glyphmeter.count(samples["english.txt"])
    assert limited.limit_reached and not whole.limit_reached
    assert (whole + limited).limit_reached and (whole + limited).total == whole.total + 500


def test_only_results_of_one_kind_add(samples):
    letters = glyphmeter.count(samples["english.txt"])
    with pytest.raises(ValueError, match="ngrams must match"):
        letters + glyphmeter.count(samples["english.txt"], ngrams=2)
    with pytest.raises(TypeError):
        letters + 1
    assert glyphmeter.add([]) == glyphmeter.Result()


def test_count_files_keeps_the_order_given_and_reports_failures_in_place(samples, tmp_path):
    names = [str(samples["english.txt"]), str(tmp_path / "missing"), samples["empty.txt"]] * 300
    outcomes = list(glyphmeter.count_files(iter(names), workers=2))
    assert [path for path, _ in outcomes] == names
    for path, outcome in outcomes[:3]:
        if path == names[1]:
            assert isinstance(outcome, FileNotFoundError) and outcome.filename == names[1]
        else:
            assert outcome == glyphmeter.count(path) and outcome.file == str(path)


@pytest.mark.parametrize("flags,options", [([], {}), (["--ngrams=3"], {"ngrams": 3})])
def test_cli_merge_of_per_file_json_is_the_sum_the_module_adds(samples, tmp_path, flags, options):
    parts = []
    for name, path in samples.items():
        part = tmp_path / f"{name}.json"
        part.write_bytes(cli_json(*flags, str(path)))
        parts.append(str(part))
    status, merged, err = run_cli("--merge", "--json", *parts)
    assert status == 0, err
    expected = glyphmeter.add(glyphmeter.count(path, **options) for path in samples.values())
    assert merged.decode() == expected.to_json()
