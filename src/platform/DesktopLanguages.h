#pragma once
// The user's languages as the desktop session sets them: the locale
// variables, read in the order the C library reads them for messages.

#include <functional>
#include <string>
#include <vector>

namespace vp {

// Reads one environment variable; null when it is not set.
using EnvironmentReader = std::function<const char*(const char*)>;

// Language tags ("de-DE", "pt-BR", "fr"), most preferred first. LANGUAGE's
// colon-separated list comes first, unless the messages locale (LC_ALL,
// else LC_MESSAGES, else LANG) is the C locale, where the C library ignores
// it; then the messages locale itself. Empty for the C locale or nothing set.
std::vector<std::string> languagesFromEnvironment(const EnvironmentReader& read);

// The same for this process's environment.
std::vector<std::string> desktopLanguages();

// "de_DE.UTF-8@euro" → "de-DE"; "" for the C locale or an empty name.
std::string languageTagOfLocale(const std::string& locale);

}  // namespace vp
