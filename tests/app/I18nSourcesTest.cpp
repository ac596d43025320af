// The texts as the program's sources use them, against the table.

#include "BuildPaths.h"
#include "app/I18n.h"
#include "app/PlatformTexts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace vp {
namespace {

namespace fs = std::filesystem;

// Every literal passed to the calls `call` matches (adjacent literals joined),
// in the files of `folder` under src with one of the extensions.
std::vector<std::pair<std::string, std::string>> literalsIn(const std::string& folder, const std::regex& call,
                                                            const std::set<std::string>& extensions) {
    static const std::regex piece(R"re("((?:[^"\\]|\\.)*)")re");
    std::vector<std::pair<std::string, std::string>> out;
    fs::path src = fs::path(VELVETPANE_SCENARIO_DIR).parent_path() / "src" / folder;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (!extensions.count(entry.path().extension().string()) || entry.path().filename() == "I18nTable.cpp") continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        std::string content = text.str();
        for (std::sregex_iterator it(content.begin(), content.end(), call), end; it != end; ++it) {
            std::string literals = (*it)[1], key;
            for (std::sregex_iterator p(literals.begin(), literals.end(), piece); p != end; ++p) key += (*p)[1];
            out.push_back({entry.path().filename().string(), key});
        }
    }
    return out;
}

// Every key passed to L() or LF() as a literal.
std::vector<std::pair<std::string, std::string>> keysInSources() {
    static const std::regex call(R"re(\bLF?\(\s*((?:"(?:[^"\\]|\\.)*"\s*)+)[,)])re");
    return literalsIn("", call, {".cpp"});
}

TEST(I18nSources, EveryTextTheProgramShowsIsTranslated) {
    auto keys = keysInSources();
    ASSERT_GE(keys.size(), 80u);
    for (const auto& [file, key] : keys) {
        if (key.find('\\') != std::string::npos) continue;  // escapes are not worth decoding here
        EXPECT_TRUE(I18n::table().count(key)) << file << ": \"" << key << "\" has no translations";
    }
}

TEST(I18nSources, EveryTextThePlatformGivesIsTranslated) {
    static const std::regex marked(R"re(\bR\(\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\))re");
    auto texts = literalsIn("platform", marked, {".cpp", ".h"});
    ASSERT_GE(texts.size(), 10u);
    for (const auto& [file, text] : texts)
        EXPECT_TRUE(I18n::platformTable().count(text)) << file << ": \"" << text << "\" has no translations";
}

TEST(I18nSources, NoTextSpeaksOfAnotherSystem) {
    static const std::regex foreign(R"(\bmacOS\b|\bMac\b|\bFinder\b|ColorSync|~/Library|Menüleiste|menu bar|barra de menus)");
    for (const auto& [key, row] : I18n::table()) {
        EXPECT_FALSE(std::regex_search(key, foreign)) << key;
        for (const auto& text : row) EXPECT_FALSE(std::regex_search(text, foreign)) << text;
    }
}

}  // namespace
}  // namespace vp
