#include "MakeOptions.h"

#include "builder/PageColour.h"
#include "builder/ScaleArgument.h"
#include "render/Destinations.h"
#include "render/ExportAnimation.h"
#include "render/FittedExport.h"

namespace pivra {

const char* const kMakeUsage =
    "Usage: pivra-make HEAD TAIL OUTPUT.gif [--scale N] [--crop] [--matte COLOR] [--workdir DIR] [--trace] [--quiet]\n"
    "       pivra-make HEAD TAIL OUTPUT.webp [--scale N] [--crop] [--quality N | --lossless] [...]\n"
    "       pivra-make HEAD TAIL OUTPUT.png [--scale N] [--crop] [...]\n"
    "       pivra-make HEAD TAIL OUTPUT.webm [--scale N] [--crop] [...]\n"
    "       pivra-make HEAD TAIL OUTPUT --look coin [--thickness N] [--rim COLOR] [...]\n"
    "       pivra-make HEAD TAIL OUTPUT [--size N] [--frames N] [--frame-time MS] [...]\n"
    "       pivra-make HEAD TAIL OUTPUT --for NAME | --max-bytes N [--matte COLOR] [...]\n"
    "Builds a looping animation of a coin spinning about its vertical axis,\n"
    "HEAD on one face and TAIL on the other: 50 frames of 12 x N pixels, 60 ms each.\n"
    "A GIF with --scale alone is made by the image commands as it always was; every\n"
    "other output is rendered in full colour straight from the pictures, the head\n"
    "facing you in its first frame.\n"
    "OUTPUT's ending picks the kind: .gif, or .webp (animated WebP), .png\n"
    "(animated PNG) and .webm (VP9 video with alpha), whose coin edges are\n"
    "truly transparent on any page.\n"
    "\n"
    "  --scale N      size step from 1 to 50, 12 pixels each (default 16: 192 pixels)\n"
    "  --size N       frames of N x N pixels, 16 to 1024 (instead of --scale)\n"
    "  --frames N     one whole turn in N frames, 8 to 200 (default 50)\n"
    "  --frame-time MS  each frame's time, 20 to 1000 ms (default 60); a GIF keeps\n"
    "                 whole hundredths: each delay is the turn's running time rounded\n"
    "                 to the nearest hundredth, so the turn keeps its length to 5 ms\n"
    "  --for NAME     made for where it goes, with its format, side, bytes and\n"
    "                 longest turn: slack (GIF 128 px, 128 KB), discord-emoji (GIF\n"
    "                 128 px, 256 KB), discord-sticker (APNG 320 px, 512 KB, 5 s),\n"
    "                 telegram (WebM 512 px, 256 KB, under 3 s, 30 frames a second\n"
    "                 at most), signal (APNG 512 px, 300 KB, under 3 s), whatsapp\n"
    "                 (WebP 512 px, 500 KB, 10 s); OUTPUT's ending must agree. Chat\n"
    "                 apps have dark themes: give a GIF their --matte\n"
    "  --max-bytes N  at most N bytes (K: 1000, M: 1000000): the most frames (24 at\n"
    "                 least when it can) and the best quality or colours that fit;\n"
    "                 one line says what was chosen, and nothing is written when\n"
    "                 even the smallest setting misses\n"
    "  --crop         make each face from the picture's largest centred square\n"
    "                 instead of squeezing the whole picture into it\n"
    "  --matte COLOR  GIF: blend the edges into the page colour COLOR (#rrggbb, #rgb\n"
    "                 or a basic name such as navy) instead of into white\n"
    "  --look LOOK    flat (the default: the face squeezed in even steps) or coin:\n"
    "                 a solid coin turning at an even angle, with a rim, light and\n"
    "                 a little perspective\n"
    "  --thickness N  coin: the rim, in percent of the diameter from 0 to 20 (default 6)\n"
    "  --rim COLOR    coin: the rim's colour (default: the faces' outer ring)\n"
    "  --light on|off  coin: light from the upper left, or the faces' own colours\n"
    "  --perspective on|off\n"
    "                 coin: a mild perspective, or none\n"
    "  --quality N    WebP: lossy quality from 0 to 100 (default 80)\n"
    "  --lossless     WebP: lossless instead\n"
    "  --workdir DIR  GIF build: working files in DIR instead of a private folder\n"
    "  --trace        GIF build: print each image library call, one tab-separated line\n"
    "  --quiet        no progress bar\n"
    "  --help         this text\n"
    "  --version      the version\n";

bool RendersFromPictures(const MakeOptions& o) {
    return o.coinLook || FormatOfName(o.output).value_or(AnimationFormat::Gif) != AnimationFormat::Gif || o.size > 0 ||
           o.framesGiven || o.frameTimeGiven || !o.destination.empty() || o.maxBytes > 0;
}

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
        // A whole number from lo to hi, or a line saying what the option takes.
        auto number = [&](const char* name, const char* what, const char* unit, int lo, int hi, int& field) {
            const std::string* v = value(name);
            const std::optional<int> parsed = v ? ParseWholeNumber(*v, lo, hi) : std::nullopt;
            if (parsed) field = *parsed;
            else if (v)
                error = std::string("the ") + what + " must be a whole number" + unit + " from " + std::to_string(lo) +
                        " to " + std::to_string(hi) + ", not \"" + *v + "\"";
            return v && error.empty();
        };
        // "#rrggbb" of a colour option's value, or nothing with a line saying why.
        auto colour = [&](const char* name, const char* what) -> std::optional<std::string> {
            const std::string* v = value(name);
            if (!v) return std::nullopt;
            std::optional<std::string> hex = ParsePageColour(*v);
            if (!hex)
                error = std::string("the ") + what + " must be #rrggbb, #rgb or a basic colour name such as navy, not \"" +
                        *v + "\"";
            return hex;
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
            o.scaleGiven = true;
        } else if (a == "--size") {
            if (!number("--size", "size", " of pixels", 16, 1024, o.size)) return std::nullopt;
        } else if (a == "--frames") {
            if (!number("--frames", "frame count", "", 8, 200, o.frames)) return std::nullopt;
            o.framesGiven = true;
        } else if (a == "--frame-time") {
            if (!number("--frame-time", "frame time", " of milliseconds", 20, 1000, o.frameMs)) return std::nullopt;
            o.frameTimeGiven = true;
        } else if (a == "--for") {
            const std::string* v = value("--for");
            if (!v) return std::nullopt;
            if (!FindDestination(*v)) {
                error = "--for takes " + DestinationNames() + ", not \"" + *v + "\"";
                return std::nullopt;
            }
            o.destination = *v;
        } else if (a == "--max-bytes") {
            const std::string* v = value("--max-bytes");
            if (!v) return std::nullopt;
            if (!ParseByteCount(*v, o.maxBytes)) {
                error = "the most bytes must be a whole number from 1000 to 1000000000, K for 1000 and M for 1000000 "
                        "allowed, not \"" + *v + "\"";
                return std::nullopt;
            }
        } else if (a == "--quality") {
            if (!number("--quality", "quality", "", 0, 100, o.quality)) return std::nullopt;
            o.qualityGiven = true;
        } else if (a == "--look") {
            const std::string* v = value("--look");
            if (!v) return std::nullopt;
            if (*v != "flat" && *v != "coin") {
                error = "the look must be flat or coin, not \"" + *v + "\"";
                return std::nullopt;
            }
            o.coinLook = *v == "coin";
        } else if (a == "--thickness") {
            if (!number("--thickness", "thickness", "", 0, 20, o.thickness)) return std::nullopt;
            o.coinOptionGiven = true;
        } else if (a == "--rim") {
            const std::optional<std::string> hex = colour("--rim", "rim");
            if (!hex) return std::nullopt;
            o.rim = *hex;
            o.coinOptionGiven = true;
        } else if (a == "--light" || a == "--perspective") {
            const std::string* v = value(a.c_str());
            if (!v) return std::nullopt;
            if (*v != "on" && *v != "off") {
                error = a + " must be on or off, not \"" + *v + "\"";
                return std::nullopt;
            }
            (a == "--light" ? o.light : o.perspective) = *v == "on";
            o.coinOptionGiven = true;
        } else if (a == "--lossless") {
            o.lossless = true;
        } else if (a == "--matte") {
            const std::optional<std::string> hex = colour("--matte", "matte");
            if (!hex) return std::nullopt;
            o.matte = PageColourForBuild(*hex);
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
    const std::optional<AnimationFormat> format = FormatOfName(o.output);
    if (!format) {
        error = "the output must end in .gif, .webp, .png or .webm: " + o.output;
        return std::nullopt;
    }
    if (o.size > 0 && o.scaleGiven) {
        error = "--size and --scale both set the side: give one";
        return std::nullopt;
    }
    if (const Destination* d = FindDestination(o.destination)) {
        if (o.size > 0 || o.scaleGiven || o.framesGiven || o.frameTimeGiven) {
            error = std::string("--for ") + d->name + " fixes the side and the turn itself: no --size, --scale, --frames or --frame-time";
            return std::nullopt;
        }
        if (*format != d->format) {
            error = std::string("--for ") + d->name + " makes " + FormatName(d->format) + ": OUTPUT must end in " +
                    EndingOf(d->format) + ", not " + o.output;
            return std::nullopt;
        }
    }
    if ((o.lossless || o.qualityGiven) && (!o.destination.empty() || o.maxBytes > 0)) {
        error = "--quality and --lossless are chosen by the fit with --for or --max-bytes";
        return std::nullopt;
    }
    // Each option belongs to one kind of output; elsewhere it would silently do nothing.
    if ((o.lossless || o.qualityGiven) && *format != AnimationFormat::Webp) {
        error = std::string(o.lossless ? "--lossless" : "--quality") + " is for a .webp output";
        return std::nullopt;
    }
    if (!o.matte.empty() && *format != AnimationFormat::Gif) {
        error = "--matte is for a .gif output: WebP, PNG and WebM keep their edges truly transparent";
        return std::nullopt;
    }
    if (o.coinOptionGiven && !o.coinLook) {
        error = "--thickness, --rim, --light and --perspective are for --look coin";
        return std::nullopt;
    }
    return o;
}

}  // namespace pivra
