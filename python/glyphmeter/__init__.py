"""Letter frequencies of text files, counted as glyphmeter-cli counts them.

count() counts one file, count_bytes() bytes in memory, count_files() many files side by side.
Each counts A to Z, or with alphabet= or letters= the letters of any alphabet, with the options
and messages of glyphmeter-cli. Each gives a Result; results of one alphabet add up (a + b,
sum(), add()) to what glyphmeter-cli reports as the total of the same files. glyphmeter.dask counts a list of files over a Dask cluster.
"""

from __future__ import annotations

import functools
import itertools
import os
import re
import warnings
from typing import Any, Dict, Iterable, Iterator, Optional, Tuple, Union

from . import _glyphmeter

__all__ = ["Result", "count", "count_bytes", "count_files", "add", "LETTER_LIMIT"]

PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

#: Counting a file stops once this many letters have been counted.
LETTER_LIMIT: int = _glyphmeter.LETTER_LIMIT

_LIMIT_VARIABLE = "GLYPHMETER_LETTER_LIMIT"
# What the counts of several files added together are called, as in glyphmeter-cli's output.
_TOTAL_NAME = "*total*"
# What bytes counted from memory are called: glyphmeter-cli's name for standard input.
_BYTES_NAME = "-"


class _Options:
    """Checked counting options, in the binding's terms."""

    __slots__ = ("ngram_length", "span_words", "limit", "alphabet", "letters", "fold_accents",
                 "encoding", "native")

    def __init__(self, ngram_length: int, span_words: bool, limit: int, alphabet: str = "latin",
                 letters: Optional[str] = None, fold_accents: bool = False,
                 encoding: Optional[str] = None) -> None:
        self.ngram_length = ngram_length
        self.span_words = span_words
        self.limit = limit
        self.alphabet = alphabet
        self.letters = letters
        self.fold_accents = fold_accents
        self.encoding = encoding
        self.native = _native_options(self.args())

    def args(self) -> Tuple[Any, ...]:
        """The options as plain values, to rebuild them elsewhere (a Dask worker) with of()."""
        return (self.ngram_length, self.span_words, self.limit, self.alphabet, self.letters,
                self.fold_accents, self.encoding)

    @classmethod
    def of(cls, args: Tuple[Any, ...]) -> "_Options":
        return cls(*args)


@functools.lru_cache(maxsize=32)
def _native_options(args: Tuple[Any, ...]) -> "_glyphmeter.Options":
    # Checked, and the alphabet chosen, by glyphmeter-cli's own code; kept, as a built-in
    # alphabet's tables are built anew each time, which a count of a small file would feel.
    return _glyphmeter.Options(*args)


def _letter_limit() -> int:
    """The letter limit, lowered by GLYPHMETER_LETTER_LIMIT as in glyphmeter-cli."""
    value = os.environ.get(_LIMIT_VARIABLE, "")
    if value == "":
        return LETTER_LIMIT
    if re.fullmatch(r"-?[0-9]+", value) is None or not 1 <= int(value) <= LETTER_LIMIT:
        raise ValueError(f"{_LIMIT_VARIABLE}: not a whole number from 1 to {LETTER_LIMIT}")
    return int(value)


def _options(
    alphabet: str = "latin",
    letters: Optional[str] = None,
    fold_accents: bool = False,
    encoding: Optional[str] = None,
    ngrams: int = 1,
    span_words: bool = False,
    *,
    limit: bool = True,
) -> _Options:
    """The options checked; with limit, the letter limit as GLYPHMETER_LETTER_LIMIT sets it.

    In glyphmeter-cli's order and words: the sequence options first, then the alphabet's.
    """
    for name, value in (("alphabet", alphabet), ("letters", letters), ("encoding", encoding)):
        if value is not None and not isinstance(value, str):
            raise TypeError(f"{name} must be a str, not {type(value).__name__}")
    if alphabet is None:
        raise TypeError("alphabet must be a str, not NoneType")
    if isinstance(ngrams, bool) or not isinstance(ngrams, int):
        raise TypeError(f"ngrams must be an int, not {type(ngrams).__name__}")
    if not 1 <= ngrams <= 4:
        raise ValueError("'ngrams' takes a sequence length from 2 to 4 "
                         f"(1 counts single letters), not {ngrams}")
    if span_words and ngrams == 1:
        raise ValueError("span_words applies to ngrams, which is not given")
    return _Options(ngrams, bool(span_words), _letter_limit() if limit else LETTER_LIMIT,
                    alphabet, letters, bool(fold_accents), encoding)


def _warn(counts: "_glyphmeter.Counts", file: str, stacklevel: int) -> None:
    """glyphmeter-cli's line on a file's invalid sequences, as a UnicodeWarning."""
    if counts.warning:
        warnings.warn(f"{file}: {counts.warning}", UnicodeWarning, stacklevel=stacklevel + 1)


class Result:
    """The counts of one file, or of several added together.

    counts lists the letters in the alphabet's order (A to Z unless an alphabet was asked for),
    or the sequences that occur by count (highest first, equal counts alphabetically), as
    glyphmeter-cli lists them.
    """

    __slots__ = ("_counts", "_file")

    def __init__(self, ngrams: int = 1, *, alphabet: str = "latin", letters: Optional[str] = None,
                 fold_accents: bool = False, encoding: Optional[str] = None) -> None:
        """Zero counts of what count() with these options counts: a start for adding."""
        options = _options(alphabet, letters, fold_accents, encoding, ngrams, limit=False)
        self._counts = _glyphmeter.Counts(options.native)
        self._file = _TOTAL_NAME

    @classmethod
    def _empty(cls, options: _Options) -> "Result":
        return cls._of(_glyphmeter.Counts(options.native), _TOTAL_NAME)

    @classmethod
    def _of(cls, counts: "_glyphmeter.Counts", file: str) -> "Result":
        result = cls.__new__(cls)
        result._counts = counts
        result._file = file
        return result

    @property
    def file(self) -> str:
        """The file as given, "-" for bytes, "*total*" for a sum."""
        return self._file

    @property
    def alphabet(self) -> str:
        """The alphabet as given ("latin", "de", ...), "custom" for letters=..."""
        return self._counts.alphabet

    @property
    def ngram_length(self) -> int:
        """1 for letters, 2 to 4 for sequences."""
        return self._counts.ngram_length

    @property
    def total(self) -> int:
        """The letters (or sequences) counted."""
        return self._counts.total

    @property
    def limit_reached(self) -> bool:
        """Counting stopped at the letter limit (in one of the files)."""
        return self._counts.limit_reached

    @property
    def invalid_sequences(self) -> int:
        """With alphabet options: the sequences not valid in the file's encoding (each counted
        as U+FFFD, no letter). Always 0 for A to Z read as bytes."""
        return self._counts.invalid_sequences

    @property
    def counts(self) -> Dict[str, int]:
        """{key: count}, keys as glyphmeter-cli shows them ("E", "Ä", "TH"), in its order."""
        return dict(self._counts.items())

    def frequency(self, key: str) -> float:
        """count / total of one letter or sequence; 0.0 without letters.

        A key is a letter as shown ("Ä", "E", "TH") or any character that counts as that letter
        ("ä", "e"; "th" for sequences). KeyError for any other key.
        """
        if not isinstance(key, str):
            raise TypeError(f"key must be a str, not {type(key).__name__}")
        count = self._counts.count(key if self._counts.is_alphabet else key.upper())
        return count / self.total if self.total else 0.0

    @property
    def frequencies(self) -> Dict[str, float]:
        total = self.total
        return {key: (count / total if total else 0.0) for key, count in self._counts.items()}

    def to_json(self) -> str:
        """Exactly what `glyphmeter-cli --json FILE` (with the same options) writes for this file."""
        return self._counts.to_json(os.fsencode(self._file)).decode("utf-8")

    @classmethod
    def from_json(cls, text: Union[str, bytes], *, alphabet: Optional[str] = None) -> "Result":
        """The result glyphmeter-cli's --json text (or to_json()) describes, for one file.

        The object's "alphabet" says what it counts: without one, A to Z (or sequences); with
        one, that alphabet's letters. Given `alphabet`, an object of any other alphabet is
        refused with ValueError ("latin" takes A to Z either way).
        """
        import json

        data = json.loads(text)
        if not isinstance(data, dict):
            raise ValueError("from_json takes the JSON object of one file "
                             "(glyphmeter-cli --json FILE), not a list of files")
        named = data.get("alphabet")
        found = "latin" if named is None else named
        if alphabet is not None and found != alphabet:
            raise ValueError(f"the JSON counts the alphabet {found!r}, not {alphabet!r}")
        try:
            if named is not None:
                if not isinstance(named, str):
                    raise TypeError("alphabet is not a text")
                total = data["total"]
                items = [(key, value["count"]) for key, value in data["letters"].items()]
                counts = _glyphmeter.Counts.from_items(1, items, bool(data["limitReached"]),
                                                       named, data["invalidSequences"])
            else:
                if "letters" in data:
                    length, total = 1, data["total"]
                    items = [(key, value["count"]) for key, value in data["letters"].items()]
                else:
                    length, total = data["ngram_length"], data["total_ngrams"]
                    items = [(entry["ngram"], entry["count"]) for entry in data["ngrams"]]
                counts = _glyphmeter.Counts.from_items(length, items, bool(data["limitReached"]))
            file = data["file"]
        except (KeyError, TypeError) as error:
            raise ValueError(f"not glyphmeter-cli's JSON of a file: {error!r}") from None
        if counts.total != total:
            raise ValueError(f"the counts add up to {counts.total}, not to the total {total} "
                             "(a list cut short by --top?)")
        return cls._of(counts, file)

    def to_pandas(self) -> Any:
        """A pandas DataFrame with the columns count and frequency, one row per key."""
        import pandas

        items = self._counts.items()
        total = self.total
        index = pandas.Index([key for key, _ in items],
                             name="letter" if self.ngram_length == 1 else "ngram")
        return pandas.DataFrame(
            {"count": pandas.Series([count for _, count in items], index=index, dtype="int64"),
             "frequency": [count / total if total else 0.0 for _, count in items]},
            index=index)

    def __add__(self, other: "Result") -> "Result":
        if not isinstance(other, Result):
            return NotImplemented
        if other.ngram_length != self.ngram_length:
            raise ValueError(f"cannot add sequences of {other.ngram_length} to sequences of "
                             f"{self.ngram_length} (ngrams must match)")
        if not self._counts.same_kind(other._counts):
            raise ValueError(f"cannot add counts of {other._kind()} to counts of {self._kind()} "
                             "(alphabet and letters must match)")
        counts = self._counts.copy()
        counts.add(other._counts)
        return Result._of(counts, _TOTAL_NAME)

    def _kind(self) -> str:
        if not self._counts.is_alphabet:
            return "A to Z read as bytes"
        if self.alphabet == "custom":
            return f"the letters {''.join(self._counts.letters())!r}"
        return f"the alphabet {self.alphabet!r}"

    def __radd__(self, other: Any) -> "Result":
        # sum() starts from 0.
        if isinstance(other, int) and not isinstance(other, bool) and other == 0:
            return self
        return NotImplemented

    def __eq__(self, other: object) -> bool:
        if not isinstance(other, Result):
            return NotImplemented
        return self._counts == other._counts

    __hash__ = None  # type: ignore[assignment]

    def __getstate__(self) -> Tuple[Any, str]:
        return (self._counts, self._file)

    def __setstate__(self, state: Tuple[Any, str]) -> None:
        self._counts, self._file = state

    def __repr__(self) -> str:
        if self.ngram_length > 1:
            kind = f"ngrams={self.ngram_length}"
        elif self._counts.is_alphabet or self.alphabet != "latin":
            kind = f"alphabet={self.alphabet}"
        else:
            kind = "letters"
        limited = ", limit_reached" if self.limit_reached else ""
        return f"<glyphmeter.Result {self._file!r} {kind} total={self.total}{limited}>"


def count(
    path: PathLike,
    *,
    alphabet: str = "latin",
    letters: Optional[str] = None,
    fold_accents: bool = False,
    encoding: Optional[str] = None,
    ngrams: int = 1,
    span_words: bool = False,
) -> Result:
    """Counts the letters of the file at `path`, or with ngrams=2..4 its letter sequences.

    As glyphmeter-cli's options of the same names: alphabet names a built-in alphabet (latin,
    en, de, fr, es, it, pt, nl, sv, da, no, fi, pl, cs, tr, ru, uk, el) whose letters are counted
    in its order; letters lists the letters of a custom one (result alphabet "custom");
    fold_accents counts an accented letter the alphabet lacks as its base letter; encoding reads
    the file in that encoding (utf-8, utf-16le, utf-16be, windows-1250 to -1254, iso-8859-1, -2,
    -5, -7, -9, -15, koi8-r, koi8-u) instead of UTF-8 or UTF-16 after its byte-order mark. Plain
    A to Z (latin, en or nl without encoding or fold_accents) is read byte by byte, as before.
    Sequences (ngrams) are of A to Z only. span_words lets them run across everything that is
    not a letter. Options glyphmeter-cli refuses raise ValueError with its message.

    With an alphabet, invalid text in the file's encoding is counted as no letter and reported
    with a UnicodeWarning holding glyphmeter-cli's line ("FILE: 2 invalid UTF-8 sequences, the
    first at byte 10"); Result.invalid_sequences holds the number.

    Raises OSError (FileNotFoundError, PermissionError, IsADirectoryError, ...) with errno,
    filename and the reason glyphmeter-cli gives. The interpreter's lock is released while
    counting; Ctrl+C stops a long count with KeyboardInterrupt.
    """
    options = _options(alphabet, letters, fold_accents, encoding, ngrams, span_words)
    name = os.fspath(path)
    counts = _glyphmeter.count_file(os.fsencode(name), options.native)
    file = os.fsdecode(name)
    _warn(counts, file, 2)
    return Result._of(counts, file)


def count_bytes(
    data: Any,
    *,
    alphabet: str = "latin",
    letters: Optional[str] = None,
    fold_accents: bool = False,
    encoding: Optional[str] = None,
    ngrams: int = 1,
    span_words: bool = False,
) -> Result:
    """Counts a bytes-like object (bytes, bytearray, memoryview, mmap) as a file's contents.

    The options are count()'s; the result's file, and its warnings', is "-".
    """
    options = _options(alphabet, letters, fold_accents, encoding, ngrams, span_words)
    counts = _glyphmeter.count_bytes(data, options.native)
    _warn(counts, _BYTES_NAME, 2)
    return Result._of(counts, _BYTES_NAME)


# Files handed to the binding at once: their results wait in memory until they are taken.
_BATCH_BYTES = 16 << 20


def count_files(
    paths: Iterable[PathLike],
    *,
    workers: Optional[int] = None,
    alphabet: str = "latin",
    letters: Optional[str] = None,
    fold_accents: bool = False,
    encoding: Optional[str] = None,
    ngrams: int = 1,
    span_words: bool = False,
) -> Iterator[Tuple[PathLike, Union[Result, OSError]]]:
    """Counts the files side by side on `workers` threads (default: every processor).

    Yields (path, Result) or (path, OSError) for each path, in the order given; the options are
    count()'s, and a file's UnicodeWarning comes as its result is yielded. Paths are taken from
    `paths` a batch at a time, so memory stays bounded however many there are.
    """
    if isinstance(paths, (str, bytes, os.PathLike)):
        raise TypeError("count_files takes an iterable of paths, not one path")
    options = _options(alphabet, letters, fold_accents, encoding, ngrams, span_words)
    threads = _glyphmeter.processor_count() if workers is None else workers
    if isinstance(threads, bool) or not isinstance(threads, int):
        raise TypeError(f"workers must be an int, not {type(threads).__name__}")
    if threads < 1:
        raise ValueError(f"workers must be at least 1, not {threads}")
    return _warned(_counted(iter(paths), options, threads))


def _warned(outcomes: Iterator[Tuple[PathLike, Union[Result, OSError]]]
            ) -> Iterator[Tuple[PathLike, Union[Result, OSError]]]:
    for path, outcome in outcomes:
        if isinstance(outcome, Result):
            _warn(outcome._counts, outcome.file, 2)
        yield path, outcome


def _counted(paths: Iterator[PathLike], options: _Options,
             threads: int) -> Iterator[Tuple[PathLike, Union[Result, OSError]]]:
    slot_bytes = 8 * 26 ** options.ngram_length
    batch = max(threads, min(64 * threads, _BATCH_BYTES // slot_bytes))
    while True:
        given = list(itertools.islice(paths, batch))
        if not given:
            return
        names = [os.fspath(path) for path in given]
        outcomes = _glyphmeter.count_files([os.fsencode(name) for name in names],
                                           options.native, threads)
        for path, name, outcome in zip(given, names, outcomes):
            if isinstance(outcome, OSError):
                yield path, outcome
            else:
                yield path, Result._of(outcome, os.fsdecode(name))


def add(results: Iterable[Result], start: Optional[Result] = None) -> Result:
    """The sum of `results` (and `start`); zero A-to-Z counts when there are none."""
    total: Optional[Result] = start
    for result in results:
        total = result if total is None else total + result
    return Result() if total is None else total
