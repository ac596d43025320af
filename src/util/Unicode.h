#pragma once
// Small Unicode helpers for texts read from files (profile names): decoding,
// trimming, case folding and the order a person expects in a menu.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vp::unicode {

// UTF-8 bytes to code points; an invalid sequence becomes U+FFFD.
std::vector<char32_t> decodeUTF8Lossy(std::string_view bytes);
// UTF-16 big-endian to code points; none for an odd length or an unpaired
// surrogate.
std::optional<std::vector<char32_t>> decodeUTF16BE(std::span<const std::uint8_t> bytes);
std::string encodeUTF8(const std::vector<char32_t>& text);

// Without white space and line breaks at either end.
std::vector<char32_t> trimmed(const std::vector<char32_t>& text);

// Lower case, for case-insensitive comparison (Latin, Greek and Cyrillic).
std::string lowercased(std::string_view utf8);

// A case-insensitive comparison that sorts accented letters with their base
// letter, the way a localized menu orders names: negative, 0 or positive.
int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b);

}  // namespace vp::unicode
