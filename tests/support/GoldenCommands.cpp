#include "GoldenCommands.h"

#include <fstream>
#include <regex>

namespace pivra::test {

CommandLine SplitTraceLine(const std::string& line) {
    CommandLine args;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        args.push_back(line.substr(start, tab - start));
    args.push_back(line.substr(start));
    return args;
}

CommandLine MaskTemporaryName(CommandLine args) {
    static const std::regex temporary("Work/pivra-[A-Za-z0-9]{6}\\.gif$");
    for (std::string& arg : args) arg = std::regex_replace(arg, temporary, "Work/pivra-XXXXXX.gif");
    return args;
}

std::vector<CommandLine> GoldenCommandsAtScale16(const std::map<std::string, std::string>& placeholders) {
    std::vector<CommandLine> commands;
    std::ifstream in(PIVRA_GOLDEN_COMMANDS);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        CommandLine args = SplitTraceLine(line);
        for (std::string& arg : args)
            for (const auto& [name, value] : placeholders)
                if (arg.rfind(name, 0) == 0) arg = value + arg.substr(name.size());
        commands.push_back(args);
    }
    return commands;
}

}  // namespace pivra::test
