#include "overlay/ICCProfileReader.h"

#include "overlay/ICCBuilder.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

using namespace vp::test;

struct ReaderCase {
    std::string what;
    Bytes bytes;
    std::optional<std::string> expected;
};

Bytes withU32(Bytes b, std::size_t at, std::uint32_t v) {
    putU32(b, at, v);
    return b;
}

Bytes truncated(Bytes b, std::size_t size) {
    b.resize(size);
    return b;
}

std::vector<ReaderCase> readerCases() {
    Bytes v2 = profile({descTag("  Studio Panel\n")});
    std::size_t v2Tag = 132 + 12;
    Bytes v4 = profile({mlucTag(utf16be(u"Écran \u00FCber 4K"))});
    std::size_t v4Tag = 132 + 12;
    return {
        {"v2 text, trimmed", v2, "Studio Panel"},
        {"v4 first record", v4, "\xC3\x89" "cran \xC3\xBC" "ber 4K"},
        {"v4 surrogate pair", profile({mlucTag(utf16be(u"Panel \U0001F600"))}), "Panel \xF0\x9F\x98\x80"},
        {"text length 1", profile({descTag("X", 1)}), std::nullopt},
        {"text length 0", profile({descTag("X", 0)}), std::nullopt},
        {"text only white space", profile({descTag(" \t\r\n ")}), std::nullopt},
        {"text past the end", withU32(v2, v2Tag + 8, 5000), std::nullopt},
        {"text length near 2^32", withU32(v2, v2Tag + 8, 0xFFFFFFFF), std::nullopt},
        {"text ends at its first zero", profile({descTag(std::string("Name\0junk", 9))}), "Name"},
        {"invalid UTF-8 replaced", profile({descTag("A\xFF" "B")}), "A\xEF\xBF\xBD" "B"},
        {"tag count 0", withU32(v2, 128, 0), std::nullopt},
        {"tag count 200", withU32(v2, 128, 200), std::nullopt},
        {"tag count 199, entries past the end skipped", withU32(v2, 128, 199), "Studio Panel"},
        {"tag offset past the end", withU32(v2, 132 + 4, 0xFFFFFFF0), std::nullopt},
        {"tag offset near the end", withU32(v2, 132 + 4, static_cast<std::uint32_t>(v2.size() - 2)), std::nullopt},
        {"132 bytes", truncated(v2, 132), std::nullopt},
        {"header only", truncated(v2, 100), std::nullopt},
        {"empty", {}, std::nullopt},
        {"cut inside the tag table", truncated(v2, 140), std::nullopt},
        {"cut inside the text", truncated(v2, v2Tag + 16), std::nullopt},
        {"cut before the text length", truncated(v2, v2Tag + 10), std::nullopt},
        {"mluc no records", profile({mlucTag(utf16be(u"A"), 0)}), std::nullopt},
        {"mluc record size 11", profile({mlucTag(utf16be(u"A"), 1, 11)}), std::nullopt},
        {"mluc huge record count", profile({mlucTag(utf16be(u"Big"), 0xFFFFFFFF)}), "Big"},
        {"mluc string offset past the end", withU32(v4, v4Tag + 24, 0x7FFFFFFF), std::nullopt},
        {"mluc string length past the end", withU32(v4, v4Tag + 20, 0xFFFFFFFE), std::nullopt},
        {"mluc odd length", withU32(v4, v4Tag + 20, 3), std::nullopt},
        {"mluc unpaired surrogate", profile({mlucTag(utf16be(u"A") + "\xD8\x00")}), std::nullopt},
        {"mluc cut before the record", truncated(v4, v4Tag + 22), std::nullopt},
        {"other type skipped for the next desc",
         profile({{"desc", Bytes{'t', 'e', 'x', 't', 0, 0, 0, 0}}, descTag("Second")}), "Second"},
        {"other signatures skipped", profile({{"wtpt", Bytes(20, 0)}, descTag("After")}), "After"},
        {"no desc tag", profile({{"wtpt", Bytes(20, 0)}}), std::nullopt},
    };
}

TEST(ICCProfileReader, Descriptions) {
    for (const auto& c : readerCases()) EXPECT_EQ(profileDescription(c.bytes), c.expected) << c.what;
}

}  // namespace
}  // namespace vp
