#include "util/Json.h"

#include <cmath>

namespace vp {

namespace {

bool allNumbersFinite(const nlohmann::json& value) {
    if (value.is_number_float()) return std::isfinite(value.get<double>());
    if (value.is_structured())
        for (const auto& item : value)
            if (!allNumbersFinite(item)) return false;
    return true;
}

}  // namespace

std::optional<std::string> encodeJson(const nlohmann::json& value) {
    if (!allNumbersFinite(value)) return std::nullopt;
    try {
        return value.dump();
    } catch (const nlohmann::json::type_error&) {
        return std::nullopt;  // a text that is not UTF-8
    }
}

}  // namespace vp
