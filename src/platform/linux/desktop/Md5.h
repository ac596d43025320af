#pragma once
// MD5 of a byte string as lower-case hexadecimal: the key colour managers
// file a display under (the digest of its EDID). Not for anything secret.

#include <cstdint>
#include <string>
#include <vector>

namespace vp {

std::string md5Hex(const std::vector<std::uint8_t>& bytes);

}  // namespace vp
