// Reading back what `glyphmeter-cli --json` wrote, for --merge: the checks every kind of count
// makes of an object before it reads its own counts from it.
#pragma once

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmeter::cli {

// JSON that is not what glyphmeter-cli --json writes, or not of the kind being added up; what()
// says why, for a message naming the file.
class ForeignReport : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The alphabet results count when their object names none.
inline constexpr std::string_view latinAlphabet = "latin";

// The member `key` of `object`; throws ForeignReport when it is missing.
const nlohmann::json& member(const nlohmann::json& object, std::string_view key);

// A count: a whole number from 0 to 2^63 - 1. Throws ForeignReport naming `what` otherwise.
std::int64_t countValue(const nlohmann::json& value, std::string_view what);

// `value` as true or false; throws ForeignReport naming `what` otherwise.
bool flagValue(const nlohmann::json& value, std::string_view what);

// Throws ForeignReport unless `value` is a number, or null where `nullable`.
void checkNumber(const nlohmann::json& value, std::string_view what, bool nullable);

// Throws ForeignReport unless every key of `object` is one of `keys`, which always include
// "file" (a string) and "alphabet" (a string, `latinAlphabet` when absent), or the object's
// alphabet is not `alphabet`.
void checkKeys(const nlohmann::json& object, std::initializer_list<std::string_view> keys,
               std::string_view alphabet);

// Throws ForeignReport unless the figures of a letter count's object are numbers: its
// "largestFrequency", and the statistics where --stats gave them (null where undefined).
void checkLetterFigures(const nlohmann::json& object);

// The counts of `letters`, which must be an object holding {"count", "frequency"} for each of
// `names` and nothing else, in the order of `names`; they must add up to `total`. `which` says
// which letters in the message for an object that does not hold them ("the letters A to Z").
// Throws ForeignReport otherwise.
std::vector<std::int64_t> letterCountsOf(const nlohmann::json& letters,
                                         const std::vector<std::string>& names,
                                         std::string_view which, std::int64_t total);

// "NAME" in double quotes, for messages.
std::string inQuotes(std::string_view name);

}  // namespace glyphmeter::cli
