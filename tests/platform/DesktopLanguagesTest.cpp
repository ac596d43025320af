#include "platform/DesktopLanguages.h"

#include <gtest/gtest.h>

#include <map>

namespace vp::test {
namespace {

struct LocaleCase {
    std::map<std::string, std::string> environment;
    std::vector<std::string> languages;
};

class DesktopLanguagesTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(DesktopLanguagesTest, FollowsTheCLibrarysOrder) {
    const auto& environment = GetParam().environment;
    auto read = [&environment](const char* name) -> const char* {
        auto it = environment.find(name);
        return it == environment.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(languagesFromEnvironment(read), GetParam().languages);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, DesktopLanguagesTest,
    ::testing::Values(
        LocaleCase{{}, {}},
        LocaleCase{{{"LANG", "de_DE.UTF-8"}}, {"de-DE"}},
        LocaleCase{{{"LANG", "de_AT.UTF-8@euro"}}, {"de-AT"}},
        // LC_ALL overrides LC_MESSAGES, which overrides LANG.
        LocaleCase{{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "fr_FR.UTF-8"}}, {"fr-FR"}},
        LocaleCase{{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "fr_FR"}, {"LC_ALL", "it_IT.UTF-8"}}, {"it-IT"}},
        // An empty variable counts as unset.
        LocaleCase{{{"LANG", "pt_BR.UTF-8"}, {"LC_ALL", ""}}, {"pt-BR"}},
        // LANGUAGE lists several, before the messages locale, without repeats.
        LocaleCase{{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "es_ES:fr::en_US"}}, {"es-ES", "fr", "en-US"}},
        // The C library ignores LANGUAGE under the C locale.
        LocaleCase{{{"LANG", "C.UTF-8"}, {"LANGUAGE", "de"}}, {}},
        LocaleCase{{{"LANGUAGE", "de"}}, {}},
        LocaleCase{{{"LC_ALL", "POSIX"}, {"LANG", "de_DE.UTF-8"}}, {}},
        LocaleCase{{{"LANG", "C"}}, {}}));

TEST(LanguageTagOfLocale, DropsCodesetAndModifier) {
    EXPECT_EQ(languageTagOfLocale("sr_RS@latin"), "sr-RS");
    EXPECT_EQ(languageTagOfLocale("fr.UTF-8"), "fr");
    EXPECT_EQ(languageTagOfLocale("C.utf8"), "");
    EXPECT_EQ(languageTagOfLocale(""), "");
}

}  // namespace
}  // namespace vp::test
