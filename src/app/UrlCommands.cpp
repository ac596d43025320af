#include "app/UrlCommands.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vp {

namespace {

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Characters that may stand in a URL as they are: unreserved, sub-delimiters
// and the general delimiters. Everything else must be percent-encoded.
bool isURLChar(char c) {
    if (isAlpha(c) || isDigit(c)) return true;
    static constexpr std::string_view allowed = "-._~!$&'()*+,;=:@/?#[]%";
    return allowed.find(c) != std::string_view::npos;
}

bool wellFormed(std::string_view text) {
    if (std::count(text.begin(), text.end(), '#') > 1) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (!isURLChar(c)) return false;
        if (c != '%') continue;
        if (i + 2 >= text.size() || hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0) return false;
        i += 2;
    }
    return true;
}

// Only called on well-formed text, whose escapes are all complete.
std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            out.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::optional<std::size_t> schemeEnd(std::string_view text) {
    if (text.empty() || !isAlpha(text[0])) return std::nullopt;
    for (std::size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == ':') return i;
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return std::nullopt;
    }
    return std::nullopt;
}

// The host of an authority ("user@host:port"); none when the port or an
// IPv6 literal is malformed.
std::optional<std::string> hostOf(std::string_view authority) {
    if (auto at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
    std::string_view host = authority;
    std::string_view rest;
    if (!authority.empty() && authority[0] == '[') {
        auto close = authority.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        host = authority.substr(0, close + 1);
        rest = authority.substr(close + 1);
        if (!rest.empty() && rest[0] != ':') return std::nullopt;
    } else if (auto colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        rest = authority.substr(colon);
    }
    if (!rest.empty() && !std::all_of(rest.begin() + 1, rest.end(), isDigit)) return std::nullopt;
    if (host.find_first_of("[]") != std::string_view::npos && host.front() != '[') return std::nullopt;
    return percentDecode(host);
}

std::vector<QueryItem> queryItemsOf(std::string_view query) {
    std::vector<QueryItem> items;
    for (;;) {
        auto amp = query.find('&');
        std::string_view item = query.substr(0, amp);
        QueryItem parsed;
        if (auto eq = item.find('='); eq != std::string_view::npos) {
            parsed.name = percentDecode(item.substr(0, eq));
            parsed.value = percentDecode(item.substr(eq + 1));
        } else {
            parsed.name = percentDecode(item);
        }
        items.push_back(std::move(parsed));
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return items;
}

// For a decimal number text that does not fit a double: whether it is too
// large (rather than too small). Compares the position of its first
// significant digit with the decimal point, exponent included.
bool overflows(std::string_view text) {
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
    auto e = text.find_first_of("eE");
    std::string_view mantissa = text.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = text.substr(e + 1);
        bool negative = !digits.empty() && digits[0] == '-';
        if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
        for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 1'000'000'000LL);
        if (negative) exponent = -exponent;
    }
    auto point = mantissa.find('.');
    std::string_view whole = mantissa.substr(0, point);
    auto firstSignificant = whole.find_first_not_of('0');
    long long magnitude = 0;
    if (firstSignificant != std::string_view::npos) {
        magnitude = static_cast<long long>(whole.size() - firstSignificant);
    } else if (point != std::string_view::npos) {
        std::string_view fraction = mantissa.substr(point + 1);
        auto nonZero = fraction.find_first_not_of('0');
        magnitude = -static_cast<long long>(nonZero == std::string_view::npos ? fraction.size() : nonZero);
    }
    return magnitude + exponent > 0;
}

bool isOurScheme(std::string_view scheme) {
    constexpr std::string_view ours = "velvetpane";
    return scheme.size() == ours.size() && std::equal(scheme.begin(), scheme.end(), ours.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b;
           });
}

std::optional<std::uint32_t> displayNumber(std::string_view text) {
    std::uint32_t id = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || id == 0) return std::nullopt;
    return id;
}

// A desktop shortcut standing in for a brightness key sends this.
std::optional<UrlCommand> stepCommand(const UrlParts& parts, const QueryItem& item) {
    if (parts.host != "brightness" || !item.value) return std::nullopt;
    const int step = *item.value == "up" ? 1 : *item.value == "down" ? -1 : 0;
    if (step == 0) return std::nullopt;
    return UrlCommand{UrlCommandKind::brightness, 0, std::nullopt, step};
}

}  // namespace

std::optional<UrlParts> splitURL(std::string_view text) {
    if (!wellFormed(text)) return std::nullopt;
    auto colon = schemeEnd(text);
    if (!colon) return std::nullopt;

    UrlParts parts;
    parts.scheme = std::string(text.substr(0, *colon));
    std::string_view rest = text.substr(*colon + 1);
    if (auto hash = rest.find('#'); hash != std::string_view::npos) rest = rest.substr(0, hash);

    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        auto end = rest.find_first_of("/?");
        auto host = hostOf(rest.substr(0, end));
        if (!host) return std::nullopt;
        parts.host = std::move(host);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    }
    std::string_view path = rest.substr(0, rest.find('?'));
    if (path.find_first_of("[]") != std::string_view::npos) return std::nullopt;
    if (auto q = rest.find('?'); q != std::string_view::npos) parts.queryItems = queryItemsOf(rest.substr(q + 1));
    return parts;
}

std::optional<double> percentFraction(std::string_view text) {
    // A leading plus sign is part of a number's text, as in "+50".
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (end != text.data() + text.size()) return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // Too large gives infinity and too small gives zero, as for any
        // other number text; only a positive overflow is above 100.
        return text[0] != '-' && overflows(text) ? 1.0 : 0.0;
    }
    if (ec != std::errc()) return std::nullopt;
    if (std::isnan(v) || v < 0) return 0.0;
    return std::min(v, 100.0) / 100.0;
}

std::optional<UrlCommand> parseUrlCommand(std::string_view url) {
    auto parts = splitURL(url);
    if (!parts || !isOurScheme(parts->scheme) || !parts->queryItems) return std::nullopt;
    const auto& items = *parts->queryItems;
    auto step = std::find_if(items.begin(), items.end(), [](const QueryItem& i) { return i.name == "step"; });
    if (step != items.end()) return stepCommand(*parts, *step);
    auto item = std::find_if(items.begin(), items.end(), [](const QueryItem& i) { return i.name == "value"; });
    if (item == items.end() || !item->value) return std::nullopt;
    auto fraction = percentFraction(*item->value);
    if (!fraction || !parts->host) return std::nullopt;
    std::optional<std::uint32_t> display;
    auto selector = std::find_if(items.begin(), items.end(), [](const QueryItem& i) { return i.name == "display"; });
    if (selector != items.end()) {
        display = displayNumber(selector->value.value_or(""));
        if (!display) return std::nullopt;
    }
    if (*parts->host == "brightness") return UrlCommand{UrlCommandKind::brightness, *fraction, display};
    if (*parts->host == "warmth") return UrlCommand{UrlCommandKind::warmth, *fraction, display};
    return std::nullopt;
}

}  // namespace vp
