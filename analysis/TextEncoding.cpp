// Encoding names and their code page tables.
#include "TextEncoding.h"

#include <array>
#include <string>

#include "UnicodeTables.h"

namespace glyphmeter::analysis {

namespace {

struct EncodingName {
    std::string_view key;  // lower case, without "-", "_" or " "
    TextEncoding encoding;
};

constexpr std::array<EncodingName, 41> names{{
    {"utf8", TextEncoding::utf8},
    {"utf16le", TextEncoding::utf16LittleEndian},
    {"utf16be", TextEncoding::utf16BigEndian},
    {"windows1250", TextEncoding::windows1250},
    {"cp1250", TextEncoding::windows1250},
    {"win1250", TextEncoding::windows1250},
    {"windows1251", TextEncoding::windows1251},
    {"cp1251", TextEncoding::windows1251},
    {"win1251", TextEncoding::windows1251},
    {"windows1252", TextEncoding::windows1252},
    {"cp1252", TextEncoding::windows1252},
    {"win1252", TextEncoding::windows1252},
    {"windows1253", TextEncoding::windows1253},
    {"cp1253", TextEncoding::windows1253},
    {"win1253", TextEncoding::windows1253},
    {"windows1254", TextEncoding::windows1254},
    {"cp1254", TextEncoding::windows1254},
    {"win1254", TextEncoding::windows1254},
    {"iso88591", TextEncoding::iso8859_1},
    {"latin1", TextEncoding::iso8859_1},
    {"l1", TextEncoding::iso8859_1},
    {"iso885915", TextEncoding::iso8859_15},
    {"latin9", TextEncoding::iso8859_15},
    {"l9", TextEncoding::iso8859_15},
    {"iso88592", TextEncoding::iso8859_2},
    {"latin2", TextEncoding::iso8859_2},
    {"l2", TextEncoding::iso8859_2},
    {"iso88595", TextEncoding::iso8859_5},
    {"cyrillic", TextEncoding::iso8859_5},
    {"iso88597", TextEncoding::iso8859_7},
    {"greek", TextEncoding::iso8859_7},
    {"iso88599", TextEncoding::iso8859_9},
    {"latin5", TextEncoding::iso8859_9},
    {"l5", TextEncoding::iso8859_9},
    {"koi8r", TextEncoding::koi8r},
    {"koi8u", TextEncoding::koi8u},
    {"ucs2le", TextEncoding::utf16LittleEndian},
    {"ucs2be", TextEncoding::utf16BigEndian},
    {"ansi1252", TextEncoding::windows1252},
    {"ibm819", TextEncoding::iso8859_1},
    {"cp819", TextEncoding::iso8859_1},
}};

}  // namespace

std::optional<TextEncoding> findEncoding(std::string_view name) {
    std::string key;
    for (const char c : name) {
        if (c == '-' || c == '_' || c == ' ') {
            continue;
        }
        key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    for (const auto& entry : names) {
        if (entry.key == key) {
            return entry.encoding;
        }
    }
    return std::nullopt;
}

std::string_view encodingName(TextEncoding encoding) {
    constexpr std::array<std::string_view, 16> shown{
        "utf-8",        "utf-16le",     "utf-16be",     "windows-1250",
        "windows-1251", "windows-1252", "windows-1253", "windows-1254",
        "iso-8859-1",   "iso-8859-2",   "iso-8859-5",   "iso-8859-7",
        "iso-8859-9",   "iso-8859-15",  "koi8-r",       "koi8-u"};
    return shown[static_cast<std::size_t>(encoding)];
}

bool isSingleByte(TextEncoding encoding) {
    return encoding != TextEncoding::utf8 && encoding != TextEncoding::utf16LittleEndian &&
           encoding != TextEncoding::utf16BigEndian;
}

std::span<const char16_t> codePageUpperHalf(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::windows1250:
            return unicode::windows1250;
        case TextEncoding::windows1251:
            return unicode::windows1251;
        case TextEncoding::windows1252:
            return unicode::windows1252;
        case TextEncoding::windows1253:
            return unicode::windows1253;
        case TextEncoding::windows1254:
            return unicode::windows1254;
        case TextEncoding::iso8859_1:
            return unicode::iso8859_1;
        case TextEncoding::iso8859_2:
            return unicode::iso8859_2;
        case TextEncoding::iso8859_5:
            return unicode::iso8859_5;
        case TextEncoding::iso8859_7:
            return unicode::iso8859_7;
        case TextEncoding::iso8859_9:
            return unicode::iso8859_9;
        case TextEncoding::iso8859_15:
            return unicode::iso8859_15;
        case TextEncoding::koi8r:
            return unicode::koi8r;
        case TextEncoding::koi8u:
            return unicode::koi8u;
        default:
            return {};
    }
}

}  // namespace glyphmeter::analysis
