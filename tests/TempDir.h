// A fresh folder under the system's temporary folder, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <span>
#include <string_view>

namespace glyphmeter::testing {

class TempDir {
  public:
    TempDir() {
        std::random_device seed;
        std::mt19937_64 engine(seed());
        for (;;) {
            path_ = std::filesystem::temp_directory_path() /
                    ("glyphmeter-test-" + std::to_string(engine()));
            if (std::filesystem::create_directory(path_)) {
                break;
            }
        }
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    std::filesystem::path write(const std::filesystem::path& name,
                                std::span<const std::byte> bytes) const {
        const auto file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return file;
    }
    std::filesystem::path write(const std::filesystem::path& name, std::string_view text) const {
        return write(name, std::as_bytes(std::span(text.data(), text.size())));
    }

  private:
    std::filesystem::path path_;
};

}  // namespace glyphmeter::testing
