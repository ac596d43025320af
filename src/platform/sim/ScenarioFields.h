#pragma once
// Numbers of a scenario, read with the range the simulation can take: a
// value of the wrong kind or outside the range is refused with a message
// that names the field and the range, e.g.
// `display 4: "gammaEntries" must be a whole number from 2 to 65536`.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>

namespace vp::scenario {

// A whole number (2 and 2.0 alike, never 1.5); `fallback` when absent.
std::int64_t whole(const nlohmann::json& j, const char* key, std::int64_t fallback, std::int64_t min, std::int64_t max,
                   const std::string& what);
// Any number; `fallback` when absent.
double number(const nlohmann::json& j, const char* key, double fallback, double min, double max,
              const std::string& what);
// The same checks for a value that is not under a key (an array element).
std::int64_t wholeValue(const nlohmann::json& value, const std::string& name, std::int64_t min, std::int64_t max);
double numberValue(const nlohmann::json& value, const std::string& name, double min, double max);

}  // namespace vp::scenario
