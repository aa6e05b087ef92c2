// The compiled half of the glyphmeter Python package: counting, counts and their JSON, bound
// with pybind11. The Pythonic surface (glyphmeter/__init__.py) is built on these.
#include <Python.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <cstring>
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

CountOptions countOptions(int ngramLength, bool spanWords, std::int32_t limit) {
    if (ngramLength < 1 || ngramLength > 4) {
        throw py::value_error("ngram_length must be from 1 to 4");
    }
    if (limit < 1 || limit > defaultLetterLimit()) {
        throw py::value_error("limit must be from 1 to " + std::to_string(defaultLetterLimit()));
    }
    return CountOptions{ngramLength, spanWords, limit};
}

std::string pathBytes(const py::bytes& path) {
    return std::string(path);
}

// The slot of `key` ("E", "TH"), or -1 when it names no key of these counts.
long slotOf(const Counts& counts, const std::string& key) {
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
        listed.append(py::make_tuple(keyName(index, counts.ngramLength), counts.counts[index]));
    }
    return listed;
}

Counts fromItems(int ngramLength, const py::iterable& pairs, bool limitReached) {
    Counts counts = emptyCounts(ngramLength);
    for (const py::handle pair : pairs) {
        const auto [key, count] = pair.cast<std::pair<std::string, std::int64_t>>();
        const long slot = slotOf(counts, key);
        if (slot < 0) {
            throw py::value_error("'" + key + "' is not a key of these counts");
        }
        if (count < 0) {
            throw py::value_error("the count of '" + key + "' is negative");
        }
        counts.counts[static_cast<std::size_t>(slot)] += static_cast<std::uint64_t>(count);
        counts.total += count;
    }
    counts.limitReached = limitReached;
    return counts;
}

py::tuple pickled(const Counts& counts) {
    const py::bytes raw(reinterpret_cast<const char*>(counts.counts.data()),
                        counts.counts.size() * sizeof(std::uint64_t));
    return py::make_tuple(counts.ngramLength, raw, counts.total, counts.limitReached);
}

Counts unpickled(const py::tuple& state) {
    Counts counts = emptyCounts(state[0].cast<int>());
    const std::string raw = state[1].cast<std::string>();
    if (raw.size() != counts.counts.size() * sizeof(std::uint64_t)) {
        throw py::value_error("not the state of counts");
    }
    std::memcpy(counts.counts.data(), raw.data(), raw.size());
    counts.total = state[2].cast<std::int64_t>();
    counts.limitReached = state[3].cast<bool>();
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

    py::class_<Counts>(module, "Counts",
                       "The counts of letters (ngram_length 1) or of letter sequences.")
        .def(py::init(&emptyCounts), py::arg("ngram_length") = 1, "Zero counts.")
        .def_readonly("ngram_length", &Counts::ngramLength)
        .def_readonly("total", &Counts::total)
        .def_readonly("limit_reached", &Counts::limitReached)
        .def("items", &items,
             "(key, count) pairs as glyphmeter-cli lists them: A to Z, or sequences by count.")
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
        .def(
            "add",
            [](Counts& sum, const Counts& other) {
                try {
                    add(sum, other);
                } catch (const std::invalid_argument&) {
                    throw py::value_error("cannot add counts of different sequence lengths");
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
                    py::arg("limit_reached"))
        .def("__eq__",
             [](const Counts& a, const Counts& b) {
                 return a.ngramLength == b.ngramLength && a.total == b.total &&
                        a.limitReached == b.limitReached && a.counts == b.counts;
             })
        .def(py::pickle(&pickled, &unpickled));

    module.def(
        "count_file",
        [](const py::bytes& path, int ngramLength, bool spanWords, std::int32_t limit) {
            const CountOptions options = countOptions(ngramLength, spanWords, limit);
            const std::string file = pathBytes(path);
            const StopRequest request = stopRequest();
            const py::gil_scoped_release unlocked;
            return countFile(file, options, request);
        },
        py::arg("path"), py::arg("ngram_length"), py::arg("span_words"), py::arg("limit"),
        "Counts the file at path (bytes); OSError with the reason when it cannot be read.");

    module.def(
        "count_bytes",
        [](const py::object& data, int ngramLength, bool spanWords, std::int32_t limit) {
            const CountOptions options = countOptions(ngramLength, spanWords, limit);
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
        py::arg("data"), py::arg("ngram_length"), py::arg("span_words"), py::arg("limit"),
        "Counts a bytes-like object as the contents of a file.");

    module.def(
        "count_files",
        [](const std::vector<py::bytes>& paths, int ngramLength, bool spanWords, std::int32_t limit,
           int workers) {
            const CountOptions options = countOptions(ngramLength, spanWords, limit);
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
        py::arg("paths"), py::arg("ngram_length"), py::arg("span_words"), py::arg("limit"),
        py::arg("workers"),
        "Counts the files side by side; a list of Counts or OSError, in the order given.");
}
