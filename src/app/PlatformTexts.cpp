#include "app/PlatformTexts.h"

#include "app/I18n.h"

namespace vp {

namespace I18n {

namespace {
const std::map<std::string, int> kColumns = {{"pt", 0}, {"es", 1}, {"it", 2}, {"fr", 3}, {"de", 4}};

std::string whole(const std::string& language, const std::string& text) {
    auto row = platformTable().find(text);
    auto column = kColumns.find(language);
    if (row == platformTable().end() || column == kColumns.end()) return text;
    return row->second.at(std::size_t(column->second));
}
}  // namespace

std::string translatePlatformText(const std::string& language, const std::string& text) {
    if (platformTable().count(text)) return whole(language, text);
    auto detail = text.find(" (");
    if (detail == std::string::npos || text.back() != ')') return text;
    return whole(language, text.substr(0, detail)) + text.substr(detail);
}

}  // namespace I18n

std::string LR(const std::string& text) {
    return I18n::translatePlatformText(I18n::lang(), text);
}

}  // namespace vp
