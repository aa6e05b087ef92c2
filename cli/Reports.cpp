// The pieces every report is written with.
#include "Reports.h"

namespace glyphmeter::cli {

namespace {

constexpr std::size_t pieceSize = 64 * 1024;

}  // namespace

std::string padLeft(std::string_view text, std::size_t width) {
    std::string out;
    if (text.size() < width) {
        out.assign(width - text.size(), ' ');
    }
    return out.append(text);
}

void ReportSink::add(std::string_view text) {
    pending_.append(text);
    if (write_ && pending_.size() >= pieceSize) {
        flush();
    }
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
