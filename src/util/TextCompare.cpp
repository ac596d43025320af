#include "util/TextCompare.h"

#include <cstdint>
#include <vector>

namespace vp {

namespace {

// Decodes one UTF-8 sequence; a malformed byte stands for itself.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
    std::uint8_t lead = byte(i);
    std::size_t extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : 4;
    if (extra == 0 || extra == 4 || i + extra >= s.size()) {
        ++i;
        return lead;
    }
    char32_t cp = lead & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        std::uint8_t b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return lead;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += extra + 1;
    return cp;
}

char32_t lower(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
    if (c == 0x178) return 0xFF;
    // Latin Extended-A pairs upper/lower case on even/odd code points.
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddUpper ? (c % 2 == 1) : (c % 2 == 0)) return c + 1;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;  // Greek
    if (c >= 0x410 && c <= 0x42F) return c + 32;                 // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

// The plain letter under a lower-case Latin-1 accented letter.
char32_t base(char32_t c) {
    static const char32_t latin1[] = {
        U'a', U'a', U'a', U'a', U'a', U'a', 0xE6, U'c', U'e', U'e', U'e', U'e', U'i', U'i', U'i', U'i',  // E0-EF
        0xF0, U'n', U'o', U'o', U'o', U'o', U'o', 0xF7, U'o', U'u', U'u', U'u', U'u', U'y', 0xFE, U'y'};  // F0-FF
    if (c >= 0xE0 && c <= 0xFF) return latin1[c - 0xE0];
    return c;
}

struct Keys {
    std::vector<char32_t> primary, secondary;
};

Keys keys(std::string_view s) {
    Keys k;
    for (std::size_t i = 0; i < s.size();) {
        char32_t c = lower(nextCodePoint(s, i));
        k.primary.push_back(base(c));
        k.secondary.push_back(c);
    }
    return k;
}

int compareSequences(const std::vector<char32_t>& a, const std::vector<char32_t>& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b) {
    Keys ka = keys(a), kb = keys(b);
    if (int primary = compareSequences(ka.primary, kb.primary)) return primary;
    return compareSequences(ka.secondary, kb.secondary);
}

}  // namespace vp
