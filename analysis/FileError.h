// The one error the analysis library reports: a file that could not be opened or read; and the
// reason any failure of a count gives, for a message that names the file.
#pragma once

#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace glyphmeter::analysis {

class FileError : public std::runtime_error {
  public:
    // `reason` is the operating system's own description, such as "No such file or directory";
    // `code` the system's error it describes, when there is one (empty otherwise).
    FileError(std::filesystem::path path, std::string reason, std::error_code code = {});

    const std::filesystem::path& path() const noexcept { return path_; }
    const std::string& reason() const noexcept { return reason_; }
    // The system's error, for callers that map it (to errno, say); empty when none was given.
    const std::error_code& code() const noexcept { return code_; }

    // The path as UTF-8 text, for messages.
    std::string displayPath() const;

  private:
    std::filesystem::path path_;
    std::string reason_;
    std::error_code code_;
};

// The reason `failure` gives, as the system would say it: a FileError's own reason, "Cannot
// allocate memory" for no memory, a system error's message, or else what() says.
std::string failureReason(const std::exception& failure);

}  // namespace glyphmeter::analysis
