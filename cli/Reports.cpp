// The pieces every report is written with.
#include "Reports.h"

namespace glyphmeter::cli {

std::string padLeft(std::string_view text, std::size_t width) {
    std::string out;
    appendPadded(out, text, width);
    return out;
}

void appendPadded(std::string& out, std::string_view text, std::size_t width) {
    if (text.size() < width) {
        out.append(width - text.size(), ' ');
    }
    out.append(text);
}

bool ReportSink::flush() {
    if (!failed_ && !pending_.empty() && write_) {
        failed_ = !write_(pending_);
    }
    if (write_) {
        pending_.clear();
    }
    return !failed_;
}

}  // namespace glyphmeter::cli
