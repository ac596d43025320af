#include "platform/sim/ScenarioFields.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

namespace vp::scenario {

namespace {

std::string text(double value) {
    std::ostringstream out;
    out.precision(15);
    out << value;
    return out.str();
}

std::string prefixed(const std::string& what, const std::string& message) {
    return what.empty() ? message : what + ": " + message;
}

}  // namespace

std::int64_t wholeValue(const nlohmann::json& value, const std::string& name, std::int64_t min, std::int64_t max) {
    const double d = value.is_number() ? value.get<double>() : NAN;
    if (!value.is_number() || d != std::floor(d) || d < double(min) || d > double(max))
        throw std::runtime_error(name + " must be a whole number from " + std::to_string(min) + " to " +
                                 std::to_string(max));
    return value.is_number_integer() ? value.get<std::int64_t>() : std::int64_t(d);
}

double numberValue(const nlohmann::json& value, const std::string& name, double min, double max) {
    const double d = value.is_number() ? value.get<double>() : NAN;
    if (!(d >= min && d <= max))
        throw std::runtime_error(name + " must be a number from " + text(min) + " to " + text(max));
    return d;
}

std::int64_t whole(const nlohmann::json& j, const char* key, std::int64_t fallback, std::int64_t min, std::int64_t max,
                   const std::string& what) {
    if (!j.contains(key)) return fallback;
    try {
        return wholeValue(j[key], std::string("\"") + key + "\"", min, max);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(prefixed(what, e.what()));
    }
}

double number(const nlohmann::json& j, const char* key, double fallback, double min, double max,
              const std::string& what) {
    if (!j.contains(key)) return fallback;
    try {
        return numberValue(j[key], std::string("\"") + key + "\"", min, max);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(prefixed(what, e.what()));
    }
}

}  // namespace vp::scenario
