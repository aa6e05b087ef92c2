// The compiled half of the glyphmeter Python package: counting, counts and their JSON, bound
// with pybind11. The Pythonic surface (glyphmeter/__init__.py) is built on these.
#include <Python.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Facade.h"

namespace py = pybind11;
using namespace glyphmeter::python;

namespace {

// The exception a signal handler raised while a count ran (KeyboardInterrupt, mostly), kept from
// the poll that ran the handler until the count has unwound and it can be raised.
struct PendingError {
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
};
thread_local PendingError pendingError;

unsigned long mainThreadIdent = 0;
PyObject* cancelledType = nullptr;

// Signal handlers run on the main thread only, so only counts there look for them.
StopRequest stopRequest() {
    StopRequest request;
    if (PyThread_get_thread_ident() == mainThreadIdent) {
        request.poll = [] {
            const py::gil_scoped_acquire gil;
            if (PyErr_CheckSignals() == 0) {
                return false;
            }
            PyErr_Fetch(&pendingError.type, &pendingError.value, &pendingError.traceback);
            return true;
        };
    }
    return request;
}

// OSError(errno, reason, filename): Python makes it the subclass for the errno value
// (FileNotFoundError for ENOENT, and so on).
py::object osError(const FileFailure& failure) {
    const py::object filename = py::reinterpret_steal<py::object>(PyUnicode_DecodeFSDefaultAndSize(
        failure.path().data(), static_cast<Py_ssize_t>(failure.path().size())));
    const py::object number =
        failure.errorNumber() != 0 ? py::object(py::int_(failure.errorNumber())) : py::none();
    return py::reinterpret_borrow<py::object>(PyExc_OSError)(number, failure.reason(), filename);
}

CountOptions checkedOptions(int ngramLength, bool spanWords, std::int32_t limit,
                            const std::string& alphabet, const std::optional<std::string>& letters,
                            bool foldAccents, const std::optional<std::string>& encoding) {
    if (ngramLength < 1 || ngramLength > 4) {
        throw py::value_error("ngram_length must be from 1 to 4");
    }
    if (limit < 1 || limit > defaultLetterLimit()) {
        throw py::value_error("limit must be from 1 to " + std::to_string(defaultLetterLimit()));
    }
    try {
        return countOptions(ngramLength, spanWords, limit,
                            AlphabetRequest{alphabet, letters, encoding, foldAccents});
    } catch (const OptionError& error) {
        throw py::value_error(error.what());
    }
}

std::string pathBytes(const py::bytes& path) {
    return std::string(path);
}

// The slot of `key` ("E", "TH", "Ä"), or -1 when it names no key of these counts. A letter of an
// alphabet is also found by any character that counts as it ("ä" for "Ä").
long slotOf(const Counts& counts, const std::string& key) {
    if (counts.alphabet) {
        const std::vector<std::string> names = letterNames(counts);
        const auto at = std::find(names.begin(), names.end(), key);
        if (at != names.end()) {
            return static_cast<long>(at - names.begin());
        }
        const auto letter = letterOf(counts, py::str(key).cast<std::u32string>());
        return letter ? static_cast<long>(*letter) : -1;
    }
    if (static_cast<int>(key.size()) != counts.ngramLength) {
        return -1;
    }
    long slot = 0;
    for (const char letter : key) {
        if (letter < 'A' || letter > 'Z') {
            return -1;
        }
        slot = slot * 26 + (letter - 'A');
    }
    return slot;
}

py::list items(const Counts& counts) {
    py::list listed;
    for (const std::uint32_t index : listedOrder(counts)) {
        listed.append(py::make_tuple(keyName(counts, index), counts.counts[index]));
    }
    return listed;
}

// Counts of A to Z (alphabet None) or of the alphabet of that name from (key, count) pairs; a
// custom alphabet's letters are the keys, in their order.
Counts fromItems(int ngramLength, const py::iterable& pairs, bool limitReached,
                 const std::optional<std::string>& alphabet, std::uint64_t invalidSequences) {
    std::vector<std::pair<std::string, std::int64_t>> listed;
    for (const py::handle pair : pairs) {
        listed.push_back(pair.cast<std::pair<std::string, std::int64_t>>());
    }
    Counts counts;
    if (alphabet) {
        if (ngramLength != 1) {
            throw py::value_error("an alphabet's counts are of single letters");
        }
        std::vector<std::string> letters;
        if (*alphabet == "custom") {
            for (const auto& [key, count] : listed) {
                letters.push_back(key);
            }
        }
        try {
            counts = emptyAlphabetCounts(*alphabet, letters);
        } catch (const OptionError& error) {
            throw py::value_error(error.what());
        }
    } else {
        counts = emptyCounts(ngramLength);
    }
    for (const auto& [key, count] : listed) {
        const long slot = slotOf(counts, key);
        if (slot < 0 ||
            (counts.alphabet && keyName(counts, static_cast<std::uint32_t>(slot)) != key)) {
            throw py::value_error("'" + key + "' is not a key of these counts");
        }
        if (count < 0) {
            throw py::value_error("the count of '" + key + "' is negative");
        }
        counts.counts[static_cast<std::size_t>(slot)] += static_cast<std::uint64_t>(count);
        counts.total += count;
    }
    counts.limitReached = limitReached;
    counts.invalidSequences = invalidSequences;
    return counts;
}

// An alphabet's counts keep its name and, for a custom one, its letters; A to Z their name.
py::tuple pickled(const Counts& counts) {
    const py::bytes raw(reinterpret_cast<const char*>(counts.counts.data()),
                        counts.counts.size() * sizeof(std::uint64_t));
    const py::object letters = counts.alphabet && counts.alphabetName == "custom"
                                   ? py::object(py::cast(letterNames(counts)))
                                   : py::none();
    return py::make_tuple(counts.ngramLength, raw, counts.total, counts.limitReached,
                          counts.alphabetName, counts.alphabet != nullptr, letters,
                          counts.invalidSequences);
}

Counts unpickled(const py::tuple& state) {
    if (state.size() != 8) {
        throw py::value_error("not the state of counts");
    }
    Counts counts;
    const std::string name = state[4].cast<std::string>();
    if (state[5].cast<bool>()) {
        const auto letters = state[6].is_none() ? std::vector<std::string>()
                                                : state[6].cast<std::vector<std::string>>();
        counts = emptyAlphabetCounts(name, letters);
    } else {
        counts = emptyCounts(state[0].cast<int>());
        counts.alphabetName = name;
    }
    const std::string raw = state[1].cast<std::string>();
    if (raw.size() != counts.counts.size() * sizeof(std::uint64_t)) {
        throw py::value_error("not the state of counts");
    }
    std::memcpy(counts.counts.data(), raw.data(), raw.size());
    counts.total = state[2].cast<std::int64_t>();
    counts.limitReached = state[3].cast<bool>();
    counts.invalidSequences = state[7].cast<std::uint64_t>();
    return counts;
}

}  // namespace

PYBIND11_MODULE(_glyphmeter, module) {
    module.doc() = "The compiled counting of the glyphmeter package; use glyphmeter instead.";
    mainThreadIdent =
        py::module_::import("threading").attr("main_thread")().attr("ident").cast<unsigned long>();

    static py::exception<Cancelled> cancelled(module, "Cancelled");
    cancelledType = cancelled.ptr();
    py::register_exception_translator([](std::exception_ptr failure) {
        try {
            if (failure) {
                std::rethrow_exception(failure);
            }
        } catch (const Cancelled&) {
            if (pendingError.type != nullptr) {
                PyErr_Restore(std::exchange(pendingError.type, nullptr),
                              std::exchange(pendingError.value, nullptr),
                              std::exchange(pendingError.traceback, nullptr));
            } else {
                PyErr_SetString(cancelledType, "counting was stopped");
            }
        } catch (const FileFailure& fileFailure) {
            const py::object error = osError(fileFailure);
            PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
        }
    });

    module.attr("LETTER_LIMIT") = defaultLetterLimit();
    module.def("processor_count", &processorCount, "How many processors this process may run on.");

    py::class_<CountOptions>(module, "Options",
                             "Counting options checked as glyphmeter-cli checks its own.")
        .def(py::init(&checkedOptions), py::arg("ngram_length"), py::arg("span_words"),
             py::arg("limit"), py::arg("alphabet") = "latin", py::arg("letters") = py::none(),
             py::arg("fold_accents") = false, py::arg("encoding") = py::none(),
             "ValueError with glyphmeter-cli's message for options it refuses.")
        .def_readonly("ngram_length", &CountOptions::ngramLength)
        .def_readonly("alphabet", &CountOptions::alphabetName);

    py::class_<Counts>(module, "Counts",
                       "The counts of letters (ngram_length 1), of an alphabet's letters, or of "
                       "letter sequences.")
        .def(py::init(py::overload_cast<int>(&emptyCounts)), py::arg("ngram_length") = 1,
             "Zero counts of A to Z or sequences.")
        .def(py::init(py::overload_cast<const CountOptions&>(&emptyCounts)), py::arg("options"),
             "Zero counts of what the options count.")
        .def_readonly("ngram_length", &Counts::ngramLength)
        .def_readonly("alphabet", &Counts::alphabetName)
        .def_property_readonly(
            "is_alphabet", [](const Counts& counts) { return counts.alphabet != nullptr; },
            "Counted as an alphabet (alphabet options given), not as A to Z bytes.")
        .def_readonly("total", &Counts::total)
        .def_readonly("limit_reached", &Counts::limitReached)
        .def_readonly("invalid_sequences", &Counts::invalidSequences)
        .def_readonly("warning", &Counts::warning)
        .def("letters", &letterNames, "The letters as shown, in order.")
        .def("items", &items,
             "(key, count) pairs as glyphmeter-cli lists them: the letters in order, or "
             "sequences by count.")
        .def(
            "count",
            [](const Counts& counts, const std::string& key) {
                const long slot = slotOf(counts, key);
                if (slot < 0) {
                    throw py::key_error(key);
                }
                return counts.counts[static_cast<std::size_t>(slot)];
            },
            py::arg("key"), "The count of one key, such as 'E' or 'TH'; KeyError for others.")
        .def("same_kind", &sameKind, py::arg("other"), "Whether other's counts can be added.")
        .def(
            "add",
            [](Counts& sum, const Counts& other) {
                try {
                    add(sum, other);
                } catch (const std::invalid_argument&) {
                    throw py::value_error("cannot add counts of different kinds");
                }
            },
            py::arg("other"), "Adds other's counts into these.")
        .def("copy", [](const Counts& counts) { return counts; })
        .def(
            "to_json",
            [](const Counts& counts, const py::bytes& name) {
                return py::bytes(toJson(pathBytes(name), counts));
            },
            py::arg("name"), "glyphmeter-cli's --json text for a file of that name, as bytes.")
        .def_static("from_items", &fromItems, py::arg("ngram_length"), py::arg("items"),
                    py::arg("limit_reached"), py::arg("alphabet") = py::none(),
                    py::arg("invalid_sequences") = 0)
        .def("__eq__",
             [](const Counts& a, const Counts& b) {
                 // A to Z is one kind of count whether asked for as latin, en or nl.
                 return sameKind(a, b) && (!a.alphabet || a.alphabetName == b.alphabetName) &&
                        a.total == b.total && a.limitReached == b.limitReached &&
                        a.invalidSequences == b.invalidSequences && a.counts == b.counts;
             })
        .def(py::pickle(&pickled, &unpickled));

    module.def(
        "count_file",
        [](const py::bytes& path, const CountOptions& options) {
            const std::string file = pathBytes(path);
            const StopRequest request = stopRequest();
            const py::gil_scoped_release unlocked;
            return countFile(file, options, request);
        },
        py::arg("path"), py::arg("options"),
        "Counts the file at path (bytes); OSError with the reason when it cannot be read.");

    module.def(
        "count_bytes",
        [](const py::object& data, const CountOptions& options) {
            Py_buffer view;
            if (PyObject_GetBuffer(data.ptr(), &view, PyBUF_SIMPLE) != 0) {
                throw py::error_already_set();
            }
            // Released on every way out, with the interpreter's lock held.
            const std::unique_ptr<Py_buffer, void (*)(Py_buffer*)> held(&view, PyBuffer_Release);
            const std::span<const std::byte> bytes(static_cast<const std::byte*>(view.buf),
                                                   static_cast<std::size_t>(view.len));
            const StopRequest request = stopRequest();
            const py::gil_scoped_release unlocked;
            return countBytes(bytes, options, request);
        },
        py::arg("data"), py::arg("options"),
        "Counts a bytes-like object as the contents of a file.");

    module.def(
        "count_files",
        [](const std::vector<py::bytes>& paths, const CountOptions& options, int workers) {
            std::vector<std::string> files;
            files.reserve(paths.size());
            for (const py::bytes& path : paths) {
                files.push_back(pathBytes(path));
            }
            const StopRequest request = stopRequest();
            std::vector<FileOutcome> outcomes;
            {
                const py::gil_scoped_release unlocked;
                outcomes = countFiles(files, options, workers, request);
            }
            py::list results;
            for (FileOutcome& outcome : outcomes) {
                if (auto* counts = std::get_if<Counts>(&outcome)) {
                    results.append(py::cast(std::move(*counts)));
                } else {
                    results.append(osError(std::get<FileFailure>(outcome)));
                }
            }
            return results;
        },
        py::arg("paths"), py::arg("options"), py::arg("workers"),
        "Counts the files side by side; a list of Counts or OSError, in the order given.");
}
