#include "CommandRunner.h"

#include <malloc.h>

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

// Every command allocates several picture-sized blocks and frees them at
// the end; left to itself glibc maps and unmaps them each time, and the
// page faults of fresh pages cost more than the pixel work. Keeping freed
// memory in the heap lets the next command reuse it.
void keepPictureMemoryForReuse() {
    static const bool done = [] {
        mallopt(M_MMAP_THRESHOLD, 64 << 20);
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
        return true;
    }();
    (void)done;
}

}  // namespace

int runCommand(int argc, char** argv, CommandBody body, PerThreadMessage& lastError) {
    keepPictureMemoryForReuse();
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
