// The parts of InputFile that are the same on every platform.
#include <utility>

#include "InputFile.h"

namespace glyphmeter::analysis {

InputFile::InputFile(std::filesystem::path path, Handle handle, bool owned, bool positioned)
    : path_(std::move(path)), handle_(handle), owned_(owned), positioned_(positioned) {}

InputFile::InputFile(InputFile&& other) noexcept
    : path_(std::move(other.path_)),
      handle_(other.handle_),
      owned_(std::exchange(other.owned_, false)),
      positioned_(other.positioned_),
      sizeAtOpen_(other.sizeAtOpen_) {}

}  // namespace glyphmeter::analysis
