#pragma once
// --help and --version: answered before anything else starts, in every mode.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace vp {

std::string usageText();
std::string versionText();

// When the arguments ask for help or the version, prints it to out and
// returns the exit status; otherwise returns nothing and prints nothing.
std::optional<int> answerInfoOption(const std::vector<std::string>& args, std::ostream& out);

}  // namespace vp
