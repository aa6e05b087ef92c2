// The checks shared by the kinds' reading of --json objects back, with their messages.
#include "ReportReading.h"

#include <algorithm>
#include <limits>
#include <nlohmann/json.hpp>

namespace glyphmeter::cli {

std::string inQuotes(std::string_view name) {
    return '"' + std::string(name) + '"';
}

const nlohmann::json& member(const nlohmann::json& object, std::string_view key) {
    const auto found = object.find(key);
    if (found == object.end()) {
        throw ForeignReport("an object without " + inQuotes(key));
    }
    return *found;
}

std::int64_t countValue(const nlohmann::json& value, std::string_view what) {
    if (value.is_number_unsigned()) {
        const auto count = value.get<std::uint64_t>();
        if (count <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return static_cast<std::int64_t>(count);
        }
    } else if (value.is_number_integer()) {
        throw ForeignReport(std::string(what) + " is negative");
    }
    throw ForeignReport(std::string(what) + " is not a whole number from 0 to 2^63 - 1");
}

bool flagValue(const nlohmann::json& value, std::string_view what) {
    if (!value.is_boolean()) {
        throw ForeignReport(std::string(what) + " is not true or false");
    }
    return value.get<bool>();
}

void checkNumber(const nlohmann::json& value, std::string_view what, bool nullable) {
    if (!value.is_number() && !(nullable && value.is_null())) {
        throw ForeignReport(std::string(what) + " is not a number");
    }
}

void checkKeys(const nlohmann::json& object, std::initializer_list<std::string_view> keys,
               std::string_view alphabet) {
    if (!object.is_object()) {
        throw ForeignReport("holds " + std::string(object.type_name()) +
                            " where an object was expected");
    }
    for (const auto& [key, value] : object.items()) {
        if (key != "file" && key != "alphabet" &&
            std::find(keys.begin(), keys.end(), key) == keys.end()) {
            throw ForeignReport("an object with the unknown key " + inQuotes(key));
        }
    }
    if (!member(object, "file").is_string()) {
        throw ForeignReport("\"file\" is not a string");
    }
    std::string_view named = latinAlphabet;
    if (const auto found = object.find("alphabet"); found != object.end()) {
        if (!found->is_string()) {
            throw ForeignReport("\"alphabet\" is not a string");
        }
        named = found->get_ref<const std::string&>();
    }
    if (named != alphabet) {
        throw ForeignReport("counts the alphabet " + inQuotes(named) + ", not " +
                            inQuotes(alphabet));
    }
}

void checkLetterFigures(const nlohmann::json& object) {
    checkNumber(member(object, "largestFrequency"), "\"largestFrequency\"", false);
    for (const std::string_view key :
         {"indexOfCoincidence", "indexOfCoincidenceNormalised", "chiSquared"}) {
        if (const auto found = object.find(key); found != object.end()) {
            checkNumber(*found, inQuotes(key), true);
        }
    }
}

std::vector<std::int64_t> letterCountsOf(const nlohmann::json& letters,
                                         const std::vector<std::string>& names,
                                         std::string_view which, std::int64_t total) {
    if (!letters.is_object() || letters.size() != names.size()) {
        throw ForeignReport("\"letters\" is not an object with " + std::string(which));
    }
    std::vector<std::int64_t> counts;
    counts.reserve(names.size());
    std::int64_t sum = 0;
    for (const std::string& name : names) {
        const auto found = letters.find(name);
        if (found == letters.end() || !found->is_object() || found->size() != 2) {
            throw ForeignReport("\"letters\" has no object {\"count\", \"frequency\"} for " + name);
        }
        const std::int64_t count = countValue(member(*found, "count"), "the count of " + name);
        checkNumber(member(*found, "frequency"), "the frequency of " + name, false);
        // Each count is at most the total, checked below, so the sum cannot overflow first.
        if (count > std::numeric_limits<std::int64_t>::max() - sum) {
            throw ForeignReport("the letters' counts add up to more than 2^63 - 1");
        }
        sum += count;
        counts.push_back(count);
    }
    if (sum != total) {
        throw ForeignReport("the letters' counts add up to " + std::to_string(sum) +
                            ", not to \"total\" " + std::to_string(total));
    }
    return counts;
}

}  // namespace glyphmeter::cli
