#include "app/UrlCommands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vp {
namespace {

using Kind = UrlCommandKind;

struct CommandCase {
    std::string url;
    std::optional<UrlCommand> expected;
};

class UrlCommandTable : public ::testing::TestWithParam<CommandCase> {};

TEST_P(UrlCommandTable, ParsesOrIgnores) {
    const auto& c = GetParam();
    EXPECT_EQ(parseUrlCommand(c.url), c.expected) << c.url;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, UrlCommandTable,
    ::testing::Values(
        CommandCase{"velvetpane://brightness?value=50", UrlCommand{Kind::brightness, 0.5, std::nullopt}},
        CommandCase{"velvetpane://brightness?value=150", UrlCommand{Kind::brightness, 1.0, std::nullopt}},
        CommandCase{"velvetpane://brightness?value=-5", UrlCommand{Kind::brightness, 0.0, std::nullopt}},
        CommandCase{"velvetpane://brightness?value=nan", UrlCommand{Kind::brightness, 0.0, std::nullopt}},
        CommandCase{"velvetpane://brightness?value=1e999", UrlCommand{Kind::brightness, 1.0, std::nullopt}},
        CommandCase{"velvetpane://brightness?value=-1e999", UrlCommand{Kind::brightness, 0.0, std::nullopt}},
        CommandCase{"velvetpane://brightness?value=1e-999", UrlCommand{Kind::brightness, 0.0, std::nullopt}},
        CommandCase{"velvetpane://brightness?value=+25", UrlCommand{Kind::brightness, 0.25, std::nullopt}},
        CommandCase{"velvetpane://warmth?value=0", UrlCommand{Kind::warmth, 0.0, std::nullopt}},
        CommandCase{"velvetpane://warmth?value=12.5#frag", UrlCommand{Kind::warmth, 0.125, std::nullopt}},
        CommandCase{"velvetpane://brightness?foo=1&value=30&value=80",
                    UrlCommand{Kind::brightness, 0.3, std::nullopt}},
        // The first "value" counts even when it is not a number.
        CommandCase{"velvetpane://brightness?value=abc&value=80", std::nullopt},
        CommandCase{"velvetpane://brightness?value&value=80", std::nullopt},
        CommandCase{"velvetpane://brightness", std::nullopt},
        CommandCase{"velvetpane://brightness?", std::nullopt},
        CommandCase{"velvetpane://brightness?value=", std::nullopt},
        CommandCase{"velvetpane://brightness?value=abc", std::nullopt},
        CommandCase{"velvetpane://brightness?value=50%25", std::nullopt},
        CommandCase{"velvetpane://brightness?value=%2050", std::nullopt},
        CommandCase{"velvetpane://brightness?level=50", std::nullopt},
        CommandCase{"velvetpane://brightness?Value=50", std::nullopt},
        CommandCase{"velvetpane://contrast?value=50", std::nullopt},
        CommandCase{"velvetpane://Brightness?value=50", std::nullopt},
        CommandCase{"velvetpane:brightness?value=50", std::nullopt},
        CommandCase{"velvetpane:///brightness?value=50", std::nullopt},
        // Percent-encoding is decoded in the host and in names and values.
        CommandCase{"velvetpane://bright%6Eess?%76alue=%35%30", UrlCommand{Kind::brightness, 0.5, std::nullopt}},
        // User, port and path are ignored; only our scheme is ours, in any case.
        CommandCase{"velvetpane://me@brightness:8080/some/path?value=40",
                    UrlCommand{Kind::brightness, 0.4, std::nullopt}},
        CommandCase{"VelvetPane://warmth?value=100", UrlCommand{Kind::warmth, 1.0, std::nullopt}},
        CommandCase{"other://warmth?value=100", std::nullopt},
        CommandCase{"http://brightness?value=40", std::nullopt},
        CommandCase{"velvetpanex://brightness?value=40", std::nullopt},
        // A display selector narrows the command; one that is no id spoils it.
        CommandCase{"velvetpane://brightness?value=40&display=2", UrlCommand{Kind::brightness, 0.4, 2}},
        CommandCase{"velvetpane://warmth?display=3&value=10", UrlCommand{Kind::warmth, 0.1, 3}},
        CommandCase{"velvetpane://brightness?value=40&display=0", std::nullopt},
        CommandCase{"velvetpane://brightness?value=40&display=-2", std::nullopt},
        CommandCase{"velvetpane://brightness?value=40&display=2x", std::nullopt},
        CommandCase{"velvetpane://brightness?value=40&display=4294967296", std::nullopt},
        CommandCase{"velvetpane://brightness?value=40&display", std::nullopt},
        // A key step for desktop shortcuts: brightness of every screen only.
        CommandCase{"velvetpane://brightness?step=up", UrlCommand{Kind::brightness, 0, std::nullopt, 1}},
        CommandCase{"velvetpane://brightness?step=down", UrlCommand{Kind::brightness, 0, std::nullopt, -1}},
        CommandCase{"velvetpane://brightness?step=sideways", std::nullopt},
        CommandCase{"velvetpane://warmth?step=up", std::nullopt},
        // Not well-formed: the whole URL is ignored.
        CommandCase{"velvetpane://brightness?value=50 ", std::nullopt},
        CommandCase{"velvetpane://brightness?value=5%", std::nullopt},
        CommandCase{"velvetpane://brightness?value=5%G0", std::nullopt},
        CommandCase{"velvetpane://brightness:80x?value=50", std::nullopt},
        CommandCase{"velvetpane://brightness?value=50#a#b", std::nullopt},
        CommandCase{"velvetpane://bright\xC3\xA9?value=50", std::nullopt},
        CommandCase{"", std::nullopt},
        CommandCase{"://brightness?value=50", std::nullopt}));

TEST(UrlSplit, TakesPartsApartAndAbsentPartsAreNone) {
    auto parts = splitURL("velvetpane://user:pw@[::1]:99/p/q?a=1&b&=x&c=%26#f");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->scheme, "velvetpane");
    EXPECT_EQ(parts->host, "[::1]");
    ASSERT_TRUE(parts->queryItems);
    std::vector<QueryItem> expected = {{"a", "1"}, {"b", std::nullopt}, {"", "x"}, {"c", "&"}};
    EXPECT_EQ(*parts->queryItems, expected);

    auto bare = splitURL("velvetpane:nothing");  // absent parts are none
    ASSERT_TRUE(bare);
    EXPECT_FALSE(bare->host);
    EXPECT_FALSE(bare->queryItems);
}

TEST(UrlSplit, VeryLongAndHostileInputEndsQuickly) {
    std::string longValue = "velvetpane://brightness?value=" + std::string(1'000'000, '9');
    EXPECT_EQ(parseUrlCommand(longValue), (UrlCommand{Kind::brightness, 1.0, std::nullopt}));
    std::string zeros = "velvetpane://brightness?value=0." + std::string(1'000'000, '0') + "1";
    EXPECT_EQ(parseUrlCommand(zeros), (UrlCommand{Kind::brightness, 0.0, std::nullopt}));
    std::string manyItems = "velvetpane://warmth?";
    for (int i = 0; i < 100'000; ++i) manyItems += "x=1&";
    manyItems += "value=20";
    EXPECT_EQ(parseUrlCommand(manyItems), (UrlCommand{Kind::warmth, 0.2, std::nullopt}));
    EXPECT_FALSE(parseUrlCommand(std::string(1'000'000, '%')));
    EXPECT_FALSE(parseUrlCommand(std::string("velvetpane://\0brightness?value=1", 33)));
}

}  // namespace
}  // namespace vp
