// The encodings the alphabet counter reads: UTF-8, UTF-16 in either byte order, and single-byte
// code pages, looked up by the names users give them.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace glyphmeter::analysis {

enum class TextEncoding {
    utf8,
    utf16LittleEndian,
    utf16BigEndian,
    windows1250,
    windows1251,
    windows1252,
    windows1253,
    windows1254,
    iso8859_1,
    iso8859_2,
    iso8859_5,
    iso8859_7,
    iso8859_9,
    iso8859_15,
    koi8r,
    koi8u,
};

// The encoding a user's name stands for, case and the characters "-", "_" and " " not mattering:
// "utf-8", "utf-16le", "utf-16be", "windows-1250".."windows-1254" (also "cp1250", "win1250"),
// "iso-8859-1", -2, -5, -7, -9, -15 (also "latin1", "latin2", "latin5", "latin9", "l1", "cyrillic",
// "greek"), "koi8-r", "koi8-u". Nullopt for any other name.
std::optional<TextEncoding> findEncoding(std::string_view name);

// The encoding's usual name ("utf-8", "windows-1252", ...).
std::string_view encodingName(TextEncoding encoding);

bool isSingleByte(TextEncoding encoding);

// A single-byte code page's characters for bytes 0x80..0xFF, 0xFFFF where it has none; empty
// for UTF-8 and UTF-16. Bytes below 0x80 are ASCII in every code page here.
std::span<const char16_t> codePageUpperHalf(TextEncoding encoding);

}  // namespace glyphmeter::analysis
