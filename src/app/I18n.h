#pragma once
// Localised text. The Portuguese source text is the key; the other five
// languages are columns of one built-in table.

#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vp {

namespace I18n {

// Keys of the help texts whose wording the program chose itself, for callers
// that would rather not repeat the long text.
namespace keys {
inline const std::string reopenAfterScreenRecording =
    "Permita o Velvetpane em Gravação de Tela e reabra o app. Se já aparecer ativado, remova-o com “–” e "
    "permita de novo.";
inline const std::string dimBelowMinimumHelp =
    "O início do slider escurece a tela integrada e monitores DDC além do mínimo do hardware.";
inline const std::string volumeKeysHelp =
    "Quando o som sai por HDMI ou DisplayPort, as teclas de volume mudam o volume do monitor via DDC.";
}  // namespace keys

// The language of this process, chosen once from the preferred languages
// passed to the first call of initialize() ("en" when lang() is read before
// any initialize()). Installing an AppContext initializes it from the
// platform's preferred languages. Safe to call from any thread.
void initialize(const std::vector<std::string>& preferredLanguages);
const std::string& lang();
const std::map<std::string, int>& index();
const std::map<std::string, std::vector<std::string>>& table();

// Pure helpers, usable for any language without restarting.
std::string chooseLanguage(const std::vector<std::string>& preferredLanguages);
std::string translate(const std::string& language, const std::string& key);
using FormatArg = std::variant<long, std::string>;
// printf-style: %ld takes a number, %@ a text, %% a percent sign.
std::string format(const std::string& pattern, const std::vector<FormatArg>& args);
}  // namespace I18n

std::string L(const std::string& key);
std::string LF(const std::string& key, const std::vector<I18n::FormatArg>& args);

}  // namespace vp
