#include "MakeOptions.h"

#include "builder/ScaleArgument.h"

namespace pivra {

const char* const kMakeUsage =
    "Usage: pivra-make HEAD TAIL OUTPUT.gif [--scale N] [--crop] [--workdir DIR] [--trace] [--quiet]\n"
    "Builds a looping animated GIF of a coin spinning about its vertical axis,\n"
    "HEAD on one face and TAIL on the other: 50 frames of 12 x N pixels.\n"
    "\n"
    "  --scale N      size step from 1 to 50, 12 pixels each (default 16: 192 pixels)\n"
    "  --crop         make each face from the picture's largest centred square\n"
    "                 instead of squeezing the whole picture into it\n"
    "  --workdir DIR  keep the working files in DIR instead of a private folder\n"
    "  --trace        print every image library call, one tab-separated line each\n"
    "  --quiet        no progress bar\n"
    "  --help         this text\n"
    "  --version      the version\n";

std::optional<MakeOptions> ParseMakeOptions(const std::vector<std::string>& args, std::string& error) {
    MakeOptions o;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* name) -> const std::string* {
            if (i + 1 >= args.size()) {
                error = std::string(name) + " needs a value";
                return nullptr;
            }
            return &args[++i];
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--crop") {
            o.crop = true;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a == "--scale") {
            const std::string* v = value("--scale");
            if (!v) return std::nullopt;
            if (!ParseScaleArgument(*v, o.scale)) {
                error = "the scale must be a whole number from 1 to 50, not \"" + *v + "\"";
                return std::nullopt;
            }
        } else if (a == "--workdir") {
            const std::string* v = value("--workdir");
            if (!v) return std::nullopt;
            if (v->empty()) {
                error = "--workdir needs a folder";
                return std::nullopt;
            }
            o.workdir = *v;
        } else if (a == "--") {
            files.insert(files.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return std::nullopt;
        } else {
            files.push_back(a);
        }
    }
    if (o.help || o.version) return o;
    if (files.size() != 3) {
        error = "expected HEAD TAIL OUTPUT.gif, got " + std::to_string(files.size()) + " file name(s)";
        return std::nullopt;
    }
    for (const std::string& f : files) {
        if (f.empty()) {
            error = "a file name is empty";
            return std::nullopt;
        }
    }
    o.head = files[0];
    o.tail = files[1];
    o.output = files[2];
    return o;
}

}  // namespace pivra
