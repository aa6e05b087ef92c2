#include "FileNameSource.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "CommandLine.h"
#include "FileError.h"
#include "PathText.h"

namespace glyphmeter::cli {

namespace {

// Enough names for a few dozen files at a time; a pipe is read no further ahead than this.
constexpr std::size_t listChunk = std::size_t{4} << 10;

// A name from the list: bytes as they are where names are bytes, UTF-8 elsewhere.
std::filesystem::path pathFromBytes(const std::string& name) {
#ifdef _WIN32
    return pathFromUtf8(name);
#else
    return std::filesystem::path(name);
#endif
}

}  // namespace

FileNameSource::FileNameSource(std::vector<Argument> arguments)
    : arguments_(std::move(arguments)) {}

FileNameSource::FileNameSource(std::filesystem::path list, analysis::InputFile file)
    : listPath_(std::move(list)), list_(std::move(file)), buffer_(listChunk) {}

FileNameSource FileNameSource::fromList(const std::filesystem::path& list) {
    if (readsStandardInput(list)) {
        FileNameSource names(list, analysis::InputFile::standardInput());
        names.standardInputTaken_ = true;
        return names;
    }
    return FileNameSource(list, analysis::InputFile::open(list));
}

std::optional<NamedFile> FileNameSource::next() {
    if (list_) {
        return nextFromList();
    }
    if (nextArgument_ == arguments_.size()) {
        return std::nullopt;
    }
    // Each name is handed on, not copied: it is needed no more.
    return NamedFile{std::move(arguments_[nextArgument_++]), std::nullopt};
}

std::optional<NamedFile> FileNameSource::nextFromList() {
    std::string name;
    for (;;) {
        const char* from = buffer_.data() + start_;
        const char* stop = buffer_.data() + end_;
        const char* nul = std::find(from, stop, '\0');
        name.append(from, nul);
        start_ = static_cast<std::size_t>(nul - buffer_.data());
        if (nul != stop) {
            ++start_;
            return entryFromList(std::move(name));
        }
        if (listEnded_) {
            // A last name without its NUL still counts; nothing after the last NUL is no entry.
            return name.empty() ? std::nullopt : entryFromList(std::move(name));
        }
        try {
            listEnded_ = !readMore();
        } catch (const analysis::FileError& error) {
            listEnded_ = true;
            start_ = end_ = 0;
            return NamedFile{{}, EntryProblem{error.displayPath(), error.reason()}};
        }
    }
}

bool FileNameSource::readMore() {
    start_ = 0;
    end_ = list_->read(std::span(reinterpret_cast<std::byte*>(buffer_.data()), buffer_.size()));
    return end_ == buffer_.size();
}

std::optional<NamedFile> FileNameSource::entryFromList(std::string name) {
    ++entries_;
    const std::string where = utf8(listPath_) + ":" + std::to_string(entries_);
    if (name.empty()) {
        return NamedFile{{}, EntryProblem{where, "invalid zero-length file name"}};
    }
    std::filesystem::path file = pathFromBytes(name);
    if (readsStandardInput(file)) {
        if (readsStandardInput(listPath_)) {
            return NamedFile{file, EntryProblem{where,
                                                "file name '-' not allowed when the names "
                                                "are read from standard input"}};
        }
        if (standardInputTaken_) {
            return NamedFile{file,
                             EntryProblem{where, "standard input ('-') can be read only once"}};
        }
        standardInputTaken_ = true;
    }
    return NamedFile{std::move(file), std::nullopt};
}

}  // namespace glyphmeter::cli
