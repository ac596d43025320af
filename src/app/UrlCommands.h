#pragma once
// The velvetpane:// URL commands that other programs and scripts send:
// brightness and warmth of every screen, or of the one a "display" item
// names, with a percent value.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vp {

class DisplayManager;
class Log;

struct QueryItem {
    std::string name;
    std::optional<std::string> value;  // none when the item has no '='
    bool operator==(const QueryItem&) const = default;
};

// A URL split into the parts the commands look at, percent-decoded. A part
// that is absent from the text is none.
struct UrlParts {
    std::string scheme;
    std::optional<std::string> host;
    std::optional<std::vector<QueryItem>> queryItems;
};

// Splits without resolving against a base. None when the text is not a
// well-formed URL (no scheme, characters a URL cannot hold, a broken
// percent escape). Linear in the length of the text for any input.
std::optional<UrlParts> splitURL(std::string_view text);

enum class UrlCommandKind { brightness, warmth };

struct UrlCommand {
    UrlCommandKind kind = UrlCommandKind::brightness;
    double fraction = 0;                  // 0…1
    std::optional<std::uint32_t> display;  // none: every screen
    // Brightness only: one key step up (1) or down (-1) on every screen, as
    // the brightness keys move it, instead of a value ("step=up|down").
    int step = 0;
    bool operator==(const UrlCommand&) const = default;
};

// The command a URL asks for; none when it is to be ignored: another scheme
// than velvetpane (in any case), an unknown host, a bad value, or a
// "display" item that is not a display id (a whole number from 1).
// The value is read before the host, so a bad value and an unknown host are
// both ignored.
std::optional<UrlCommand> parseUrlCommand(std::string_view url);

// The percent text of a "value" item as a fraction: the whole text must be a
// number; negative numbers and NaN give 0, anything above 100 gives 1.
std::optional<double> percentFraction(std::string_view text);

// Carries out each URL in order; ignored URLs leave no trace. A URL naming a
// display that is not a listed screen with adjustable brightness is refused
// with a warning in the log.
void handleURLs(DisplayManager& manager, Log& log, const std::vector<std::string>& urls);

}  // namespace vp
