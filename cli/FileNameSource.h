// The files a run counts, one entry at a time: the FILE arguments, or the names in a list file
// whose entries each end with a NUL byte, as `find -print0` writes them (--files0-from).
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "InputFile.h"

namespace glyphmeter::cli {

// Why an entry of the list names no file to count; shown as "glyphmeter-cli: SUBJECT: reason".
struct EntryProblem {
    std::string subject;
    std::string reason;
};

struct NamedFile {
    std::filesystem::path file;           // as given; "-" stands for standard input
    std::optional<EntryProblem> problem;  // set for an entry that names no file to count
};

class FileNameSource {
  public:
    explicit FileNameSource(std::vector<Argument> arguments);
    // Opens the list at `list` ("-": standard input). Throws analysis::FileError.
    static FileNameSource fromList(const std::filesystem::path& list);

    // The next entry, nullopt after the last. An empty name in the list, a "-" in a list read from
    // standard input, a second "-", and a list that cannot be read further are entries with a
    // problem; after a read failure there are no more entries.
    std::optional<NamedFile> next();

  private:
    FileNameSource(std::filesystem::path list, analysis::InputFile file);
    std::optional<NamedFile> nextFromList();
    std::optional<NamedFile> entryFromList(std::string name);
    // Reads more of the list; false at its end.
    bool readMore();

    std::vector<Argument> arguments_;
    std::size_t nextArgument_ = 0;

    std::filesystem::path listPath_;
    std::optional<analysis::InputFile> list_;
    std::vector<char> buffer_;
    std::size_t start_ = 0;  // the unread part of buffer_
    std::size_t end_ = 0;
    std::size_t entries_ = 0;
    bool listEnded_ = false;
    bool standardInputTaken_ = false;
};

}  // namespace glyphmeter::cli
