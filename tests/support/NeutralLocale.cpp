// The tests expect the program's own default language unless they ask for
// another, whatever language the developer's session uses; the programs the
// tests start inherit this environment.

#include <cstdlib>
#include <initializer_list>

namespace {

const bool neutralLocale = [] {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) unsetenv(name);
    setenv("LANG", "C.UTF-8", 1);
    return true;
}();

}  // namespace
