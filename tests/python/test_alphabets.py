# Alphabets beyond A to Z: the module counts, writes, reads back and refuses them as glyphmeter-cli
# does, file for file.
import json
import pickle
import unicodedata
import warnings

import pytest

import glyphmeter
from conftest import cli_json, run_cli

GERMAN = "Größe, Übermaß und Äpfel: der Fuß. QUIZ ÄÖÜ ẞ\n"
RUSSIAN = "Съешь же ещё этих мягких французских булок, да выпей чаю. ЁЖ\n"
GREEK = "Ἡ ἀγάπη μακροθυμεῖ, χρηστεύεται· ΆΈΉ ΐ\n"

# name, file contents, options, the same as glyphmeter-cli flags
CASES = [
    ("de.txt", GERMAN.encode() * 30 + b"bad \xff\xfe byte", {"alphabet": "de"}, ["--alphabet=de"]),
    ("ru.txt", RUSSIAN.encode("koi8-r") * 30, {"alphabet": "ru", "encoding": "koi8-r"},
     ["--alphabet=ru", "--encoding=koi8-r"]),
    ("el.txt", unicodedata.normalize("NFD", GREEK).encode() * 30, {"alphabet": "el"},
     ["--alphabet=el"]),
    ("el-folded.txt", unicodedata.normalize("NFD", GREEK).encode() * 30,
     {"alphabet": "el", "fold_accents": True}, ["--alphabet=el", "--fold-accents"]),
    ("custom.txt", GERMAN.encode("utf-16") * 30, {"letters": "zßeä"}, ["--letters=zßeä"]),
    ("latin-1252.txt", GERMAN.encode("cp1252", "replace") * 30,
     {"encoding": "windows-1252"}, ["--encoding=windows-1252"]),
]


@pytest.fixture(scope="module")
def files(tmp_path_factory):
    folder = tmp_path_factory.mktemp("alphabets")
    paths = {}
    for name, data, _, _ in CASES:
        paths[name] = folder / name
        paths[name].write_bytes(data)
    return paths


@pytest.mark.parametrize("name,data,options,flags", CASES, ids=[case[0] for case in CASES])
def test_each_way_of_counting_matches_the_cli(files, name, data, options, flags):
    path = str(files[name])
    outputs = [run_cli("--json", *flags, path), run_cli("--json", *flags, "-", input=data)]
    assert [status for status, _, _ in outputs] == [0, 0], outputs
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        result = glyphmeter.count(path, **options)
        from_bytes = glyphmeter.count_bytes(data, **options)
        [(_, in_list)] = glyphmeter.count_files([path], workers=2, **options)
    assert [result.to_json(), from_bytes.to_json()] == [out.decode() for _, out, _ in outputs]
    assert in_list == result and pickle.loads(pickle.dumps(result)) == result
    assert glyphmeter.Result.from_json(result.to_json()) == result
    written = json.loads(outputs[0][1])
    assert result.alphabet == written["alphabet"] == options.get(
        "alphabet", "custom" if "letters" in options else "latin")
    assert list(result.counts) == list(written["letters"])
    assert result.frequencies == pytest.approx(
        {key: value["count"] / written["total"] for key, value in written["letters"].items()})
    # The CLI's line on standard error for each file, as a warning: the file, the bytes, the list.
    lines = [err.removeprefix("glyphmeter-cli: ").rstrip("\n") for _, _, err in outputs]
    assert all(warning.category is UnicodeWarning for warning in caught)
    assert [str(warning.message) for warning in caught] == [
        line for line in (lines[0], lines[1], lines[0]) if line]


def test_a_key_is_any_character_that_counts_as_the_letter(files):
    russian = glyphmeter.count(files["ru.txt"], alphabet="ru", encoding="koi8-r")
    assert russian.frequency("ё") == russian.frequency("Ё") > 0
    turkish = glyphmeter.count_bytes("ıIiİ iii".encode(), alphabet="tr")
    assert turkish.counts == {**turkish.counts, "I": 2, "İ": 5}
    assert turkish.frequency("i") == turkish.frequency("İ")
    with pytest.raises(KeyError):
        russian.frequency("Q")


def test_sums_of_one_alphabet_are_the_cli_total(files):
    paths = [str(files[name]) for name in ("de.txt", "custom.txt", "el.txt")]
    total = json.loads(cli_json("--alphabet=de", *paths))[-1]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", UnicodeWarning)
        results = [glyphmeter.count(path, alphabet="de") for path in paths]
    expected = glyphmeter.Result.from_json(json.dumps(total), alphabet="de")
    assert sum(results) == glyphmeter.add(results, glyphmeter.Result(alphabet="de")) == expected
    assert sum(results).to_json() == expected.to_json()


def test_counts_of_different_alphabets_neither_add_nor_read_as_each_other(files):
    german = glyphmeter.count_bytes(b"abc", alphabet="de")
    plain = glyphmeter.count_bytes(b"abc")
    latin_read_as_text = glyphmeter.count_bytes(b"abc", encoding="utf-8")
    assert plain + glyphmeter.count_bytes(b"abc", alphabet="en") == plain + plain
    for a, b, message in [(german, glyphmeter.count_bytes(b"abc", alphabet="ru"), "alphabet 'ru'"),
                          (plain, latin_read_as_text, "alphabet 'latin'"),
                          (glyphmeter.count_bytes(b"ab", letters="ab"),
                           glyphmeter.count_bytes(b"ab", letters="ba"), "letters 'ba'")]:
        with pytest.raises(ValueError, match=message):
            a + b
    for result, other in [(german, "ru"), (german, "latin"), (plain, "de"),
                          (latin_read_as_text, "de")]:
        with pytest.raises(ValueError, match=f"not '{other}'"):
            glyphmeter.Result.from_json(result.to_json(), alphabet=other)
    # A to Z written as an alphabet reads back as one, not as A to Z read as bytes.
    assert glyphmeter.Result.from_json(latin_read_as_text.to_json()) == latin_read_as_text != plain
    forged = json.loads(german.to_json())
    forged["letters"]["Я"] = forged["letters"].pop("Z")
    with pytest.raises(ValueError, match="'Я' is not a key"):
        glyphmeter.Result.from_json(json.dumps(forged))


@pytest.mark.parametrize("options,flags", [
    ({"alphabet": "klingon"}, ["--alphabet=klingon"]),
    ({"encoding": "ebcdic"}, ["--encoding=ebcdic"]),
    ({"letters": ""}, ["--letters="]),
    ({"letters": "abcA"}, ["--letters=abcA"]),
    ({"letters": "\u0301a"}, ["--letters=\u0301a"]),
    ({"alphabet": "de", "letters": "ab"}, ["--alphabet=de", "--letters=ab"]),
])
def test_refused_options_give_the_cli_message(options, flags):
    status, _, err = run_cli(*flags, "-")
    assert status == 2
    message = err.splitlines()[0].removeprefix("glyphmeter-cli: ")
    for option, keyword in [("--alphabet", "alphabet"), ("--letters", "letters"),
                            ("--fold-accents", "fold_accents"), ("--ngrams", "ngrams")]:
        message = message.replace(option, keyword)
    with pytest.raises(ValueError) as raised:
        glyphmeter.count_bytes(b"", **options)
    assert str(raised.value) == message


# Sequences of an alphabet beyond A to Z, which glyphmeter-cli counts, the module refuses: its
# counts of sequences are of A to Z.
@pytest.mark.parametrize("options,flags,refused", [
    ({"alphabet": "ru", "ngrams": 2}, ["--alphabet=ru", "--ngrams=2"], "alphabet=ru"),
    ({"fold_accents": True, "ngrams": 3}, ["--fold-accents", "--ngrams=3"], "fold_accents"),
])
def test_sequences_of_an_alphabet_are_refused_by_the_module_only(options, flags, refused):
    status, _, _ = run_cli(*flags, "-")
    assert status == 0
    with pytest.raises(ValueError) as raised:
        glyphmeter.count_bytes(b"", **options)
    assert str(raised.value) == f"ngrams counts sequences of A–Z only; not with {refused}"
