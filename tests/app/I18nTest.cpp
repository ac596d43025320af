#include "app/I18n.h"
#include "app/PlatformTexts.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <thread>

namespace vp {
namespace {

TEST(I18n, LanguageComesFromTheFirstPreferredLanguage) {
    struct Case {
        std::vector<std::string> preferred;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"pt-BR", "en-US"}, "pt"}, {{"de-AT"}, "de"}, {{"ja-JP", "fr-FR"}, "en"}, {{}, "en"},
        {{"fr-CA"}, "fr"},          {{"es"}, "es"},    {{"it-IT"}, "it"},          {{"en-GB"}, "en"},
        {{"x"}, "en"},              {{""}, "en"},
    };
    for (const auto& c : cases) {
        std::string label = c.preferred.empty() ? "(empty)" : c.preferred.front();
        EXPECT_EQ(I18n::chooseLanguage(c.preferred), c.expected) << label;
    }
}

TEST(I18n, MissingKeyOrUnknownLanguageGivesTheKey) {
    for (const char* lang : {"pt", "en", "es", "it", "fr", "de", "ja"})
        EXPECT_EQ(I18n::translate(lang, "Texto que não existe"), "Texto que não existe") << lang;
    EXPECT_EQ(I18n::translate("ja", "Tela"), "Tela");
}

TEST(I18n, FormatsThePluralRowPerLanguageAndFillsTextsNumbersAndPercentSigns) {
    const std::string key = "%ld conectada(s)";
    auto filled = [&](const char* lang) { return I18n::format(I18n::translate(lang, key), {2L}); };
    EXPECT_EQ(filled("en"), "2 connected");
    EXPECT_EQ(filled("pt"), "2 conectada(s)");
    EXPECT_EQ(filled("es"), "2 conectada(s)");
    EXPECT_EQ(filled("de"), "2 verbunden");
    EXPECT_EQ(LF(key, {2L}), I18n::format(L(key), {2L}));
    // Texts, numbers and percent signs.
    EXPECT_EQ(I18n::format(I18n::translate("en", "Imagem HiDPI enviada para %@. Escolha a escala em Resolução."),
                           {std::string("Office 24")}),
              "HiDPI image sent to Office 24. Pick the scale under Resolution.");
    EXPECT_EQ(I18n::format("%@ has %ld%% of %ld", {std::string("A"), 40L, -3L}), "A has 40% of -3");
    EXPECT_EQ(I18n::format("100% sure", {}), "100% sure");
    EXPECT_EQ(I18n::format("ends with %", {}), "ends with %");
    EXPECT_EQ(I18n::format("%@ and %@", {std::string("one")}), "one and ");
}

std::vector<std::string> placeholders(const std::string& text) {
    static const std::regex pattern("%(ld|@|d|%)");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        if ((*it)[1] != "%") out.push_back((*it)[1]);
    return out;
}

TEST(I18n, EveryRowHasFiveTranslationsKeepingThePlaceholders) {
    ASSERT_GE(I18n::table().size(), 95u);
    for (const auto& [key, row] : I18n::table()) {
        ASSERT_EQ(row.size(), 5u) << key;
        for (std::size_t column = 0; column < row.size(); ++column) {
            EXPECT_FALSE(row[column].empty()) << key;
            EXPECT_EQ(placeholders(row[column]), placeholders(key)) << key << " → " << row[column];
        }
    }
}

TEST(I18n, TextsUseTypographicPunctuationAndPlatformTextsHaveFiveTranslations) {
    auto typographic = [](const std::string& text) {
        return text.find_first_of("'\"") == std::string::npos && text.find("...") == std::string::npos;
    };
    for (const auto& [key, row] : I18n::table()) {
        EXPECT_TRUE(typographic(key)) << key;
        for (const auto& text : row) EXPECT_TRUE(typographic(text)) << text;
    }
    // The platform's keys are the system's own words; their translations are ours.
    for (const auto& [key, row] : I18n::platformTable()) {
        ASSERT_EQ(row.size(), 5u) << key;
        for (const auto& text : row) EXPECT_TRUE(!text.empty() && typographic(text)) << key << " → " << text;
    }
}

TEST(I18n, PlatformTextsTranslateWholeOrAheadOfTheirDetail) {
    const std::string x11 = "X11 has no virtual displays, and so no HiDPI";
    EXPECT_EQ(I18n::translatePlatformText("de", x11), "X11 hat keine virtuellen Bildschirme und daher kein HiDPI");
    EXPECT_EQ(I18n::translatePlatformText("pt", x11), "o X11 não tem telas virtuais e, portanto, nem HiDPI");
    EXPECT_EQ(I18n::translatePlatformText("en", x11), x11);
    // The system's own words in parentheses stay as the system gave them.
    EXPECT_EQ(I18n::translatePlatformText(
                  "es", "Assigning profiles needs colord, the desktop's colour manager (no system bus: refused)"),
              "Asignar perfiles requiere colord, el gestor de color del escritorio (no system bus: refused)");
    EXPECT_EQ(I18n::translatePlatformText("fr", "a reason nobody wrote down (detail)"),
              "a reason nobody wrote down (detail)");
    EXPECT_EQ(I18n::translatePlatformText("it", ""), "");
}

TEST(I18n, TheProcessLanguageIsChosenOnceAcrossThreads) {
    std::vector<std::thread> threads;
    std::vector<std::string> seen(8);
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&, i] {
            I18n::initialize({i % 2 ? "de-AT" : "fr-FR"});
            seen[i] = I18n::lang();
        });
    for (auto& t : threads) t.join();
    const std::string chosen = I18n::lang();
    for (const auto& s : seen) EXPECT_EQ(s, chosen);
    I18n::initialize({chosen == "it" ? "es" : "it"});
    EXPECT_EQ(I18n::lang(), chosen);
    EXPECT_EQ(L("Tela"), I18n::translate(chosen, "Tela"));
}

}  // namespace
}  // namespace vp
