#include "CommandRunner.h"

#include <exception>
#include <new>

#include "CommandError.h"

namespace pivra::imagelib {

namespace {

std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    if (text.empty()) text = "unknown failure";
    return text;
}

}  // namespace

int runCommand(int argc, char** argv, CommandBody body, PerThreadMessage& lastError) {
    try {
        if (argc < 1 || argv == nullptr) throw CommandError("no arguments");
        std::vector<std::string> args;
        for (int i = 1; i < argc; ++i) {
            if (argv[i] == nullptr) throw CommandError("argument " + std::to_string(i) + " is missing");
            args.emplace_back(argv[i]);
        }
        body(args);
        lastError.clear();
        return 0;
    } catch (const CommandError& e) {
        lastError.set(oneLine(e.what()));
    } catch (const std::bad_alloc&) {
        lastError.set("out of memory");
    } catch (const std::exception& e) {
        lastError.set(oneLine(std::string("internal error: ") + e.what()));
    } catch (...) {
        lastError.set("internal error");
    }
    return 1;
}

}  // namespace pivra::imagelib
