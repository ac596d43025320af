#pragma once
// JSON text for stored values. Encoding fails, rather than writing something
// that would not decode again, when a number is not finite (it would come
// out as null) or a text is not valid UTF-8.

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace vp {

std::optional<std::string> encodeJson(const nlohmann::json& value);

}  // namespace vp
