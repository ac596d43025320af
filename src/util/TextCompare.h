#pragma once
// Ordering of user-visible texts the way a person expects in a list: letters
// compare without regard to case, an accented letter sorts right after its
// plain letter, and texts that differ only in case compare equal (so a
// stable sort keeps their original order).

#include <string_view>

namespace vp {

// Negative, zero or positive, like strcmp. Input is UTF-8; malformed bytes
// compare by their value.
int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b);

}  // namespace vp
