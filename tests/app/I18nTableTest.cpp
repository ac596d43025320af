#include "app/I18n.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

std::vector<std::string> placeholders(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (text.compare(i + 1, 2, "ld") == 0) out.push_back("%ld");
        else if (text[i + 1] == '@') out.push_back("%@");
    }
    return out;
}

TEST(I18nTable, EveryRowHasFiveTranslationsKeepingThePlaceholders) {
    for (const auto& [key, row] : I18n::table()) {
        ASSERT_EQ(row.size(), 5u) << key;
        for (const std::string& translation : row) {
            EXPECT_FALSE(translation.empty()) << key;
            EXPECT_EQ(placeholders(translation), placeholders(key)) << key << " → " << translation;
        }
    }
}

TEST(I18nTable, GermanAndPortugueseOfAPanelText) {
    EXPECT_EQ(I18n::translate("de", "%ld conectada(s)"), "%ld verbunden");
    EXPECT_EQ(I18n::translate("pt", "Todas as telas"), "Todas as telas");
    EXPECT_EQ(I18n::format(I18n::translate("en", "%ld conectada(s)"), {2L}), "2 connected");
}

}  // namespace
}  // namespace vp
