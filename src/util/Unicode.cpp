#include "util/Unicode.h"

#include <algorithm>

namespace vp::unicode {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// One code point starting at bytes[i]; advances i past it.
char32_t nextUTF8(std::string_view bytes, std::size_t& i) {
    auto b = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    unsigned char lead = b(i);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) {
        ++i;
        return length == 1 ? lead : kReplacement;
    }
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if (!isContinuation(b(i + k))) {
            i += k;
            return kReplacement;
        }
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    i += length;
    static constexpr char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
    return cp;
}

bool isSpace(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

char32_t lower(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c < 0xC0) return c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c == 0x178) return 0xFF;
    // Latin Extended-A pairs an upper-case letter with the lower-case one after it.
    bool evenPairs = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenPairs && c % 2 == 0) || (oddPairs && c % 2 == 1)) return c + 1;
    return c;
}

// The base letter of a lower-case accented Latin letter, for primary order.
char32_t baseLetter(char32_t c) {
    static constexpr std::u32string_view latin1 =  // U+00E0 … U+00FF
        U"aaaaaa\u00E6ceeeeiiii\u00F0nooooo\u00F7\u00F8uuuuy\u00FEy";
    static constexpr std::u32string_view extendedA =  // U+0100 … U+017F
        U"aaaaaaccccccccdd\u0111\u0111eeeeeeeeeegggggggghh\u0127\u0127iiiiiiiii\u0131\u0133\u0133jjkk"
        U"\u0138llllll\u0140\u0140\u0142\u0142nnnnnn\u0149\u014B\u014Boooooo\u0153\u0153rrrrrrsssssssstttt"
        U"\u0167\u0167uuuuuuuuuuuuwwyyyzzzzzz\u017F";
    static_assert(latin1.size() == 0x20 && extendedA.size() == 0x80);
    if (c >= 0xE0 && c <= 0xFF) return latin1[c - 0xE0];
    if (c >= 0x100 && c <= 0x17F) return extendedA[c - 0x100];
    return c;
}

std::vector<char32_t> folded(std::string_view utf8) {
    std::vector<char32_t> out = decodeUTF8Lossy(utf8);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

int compareBy(const std::vector<char32_t>& a, const std::vector<char32_t>& b, char32_t (*key)(char32_t)) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        char32_t x = key(a[i]), y = key(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

char32_t same(char32_t c) {
    return c;
}

}  // namespace

std::vector<char32_t> decodeUTF8Lossy(std::string_view bytes) {
    std::vector<char32_t> out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) out.push_back(nextUTF8(bytes, i));
    return out;
}

std::optional<std::vector<char32_t>> decodeUTF16BE(std::span<const std::uint8_t> bytes) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::vector<char32_t> out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        char32_t unit = (char32_t(bytes[i]) << 8) | bytes[i + 1];
        if (unit >= 0xDC00 && unit <= 0xDFFF) return std::nullopt;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 3 >= bytes.size()) return std::nullopt;
            char32_t low = (char32_t(bytes[i + 2]) << 8) | bytes[i + 3];
            if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        out.push_back(unit);
    }
    return out;
}

std::string encodeUTF8(const std::vector<char32_t>& text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::vector<char32_t> trimmed(const std::vector<char32_t>& text) {
    auto first = std::find_if_not(text.begin(), text.end(), isSpace);
    auto last = std::find_if_not(text.rbegin(), std::make_reverse_iterator(first), isSpace).base();
    return {first, last};
}

std::string lowercased(std::string_view utf8) {
    return encodeUTF8(folded(utf8));
}

int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b) {
    auto x = folded(a), y = folded(b);
    if (int primary = compareBy(x, y, baseLetter)) return primary;
    return compareBy(x, y, same);
}

}  // namespace vp::unicode
