#pragma once
// The one hand-written list of the image commands of a build at scale 16
// (golden/commands-scale16.txt), with its placeholders filled in.
#include <map>
#include <string>
#include <vector>

namespace pivra::test {

using CommandLine = std::vector<std::string>;

// placeholders: e.g. {{"{APP}", "/tmp/w/"}, {"{HEAD}", "/p/head.jpg"}, ...}; empty when the file cannot be read.
std::vector<CommandLine> GoldenCommandsAtScale16(const std::map<std::string, std::string>& placeholders);

// One tab-separated trace line as its arguments.
CommandLine SplitTraceLine(const std::string& line);

// The six random letters of the temporary Work/pivra-??????.gif become XXXXXX, as the golden list writes them.
CommandLine MaskTemporaryName(CommandLine args);

}  // namespace pivra::test
