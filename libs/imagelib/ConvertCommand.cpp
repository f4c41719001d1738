#include "ConvertCommand.h"

#include <sys/stat.h>

#include <algorithm>

#include "AnimationAssembler.h"
#include "CommandError.h"
#include "FileBytes.h"
#include "MagickSession.h"
#include "PictureDecoder.h"
#include "PictureEncoder.h"
#include "PictureLoader.h"
#include "PictureWriter.h"
#include "PlainPath.h"
#include "Resizer.h"
#include "WildcardExpander.h"

namespace pivra::imagelib {

namespace {

const std::string& valueOf(const std::vector<std::string>& middle, std::size_t& i) {
    if (i + 1 >= middle.size()) throw CommandError("option \"" + middle[i] + "\" needs a value");
    return middle[++i];
}

// The part of the picture the region covers (ImageMagick clips a region
// that reaches outside); a region wholly outside is refused.
Picture cropPicture(const Picture& input, const ConvertStep& step) {
    int x = 0, y = 0;
    cropOrigin(step.gravity, step.crop, input.width, input.height, x, y);
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + step.crop.width, input.width), bottom = std::min(y + step.crop.height, input.height);
    if (left >= right || top >= bottom) throw CommandError("the crop lies outside the picture");
    Picture out(right - left, bottom - top);
    out.palette = input.palette;
    out.matte = input.matte;
    for (int row = top; row < bottom; ++row)
        std::copy_n(input.pixel(left, row), static_cast<std::size_t>(out.width) * 4, out.pixel(0, row - top));
    return out;
}

// `source` is the exact decode of that file version (or empty); the resize
// pass it shares with other resizes of the same file is then remembered.
Picture applySteps(const Picture& input, FileIdentity source, const std::vector<ConvertStep>& steps) {
    Picture picture;
    const Picture* current = &input;  // copied only once a step changes pixels in place
    for (const ConvertStep& step : steps) {
        switch (step.kind) {
            case ConvertStep::Kind::Resize: {
                int width = 0, height = 0;
                applyGeometry(step.geometry, current->width, current->height, width, height);
                picture = resizePicture(*current, width, height, source);
                break;
            }
            case ConvertStep::Kind::Negate:
                if (current != &picture) picture = *current;
                negateColors(picture);
                break;
            case ConvertStep::Kind::Transparent:
                if (current != &picture) picture = *current;
                makeColorTransparent(picture, step.color);
                break;
            case ConvertStep::Kind::Crop:
                picture = cropPicture(*current, step);
                break;
            case ConvertStep::Kind::Colorize:
                if (current != &picture) picture = *current;
                colorize(picture, step.color, step.percent);
                break;
        }
        current = &picture;
        source = FileIdentity{};
    }
    if (current != &picture) picture = *current;
    return picture;
}

// A name that exists is that file, whatever it holds. Only the assembly of
// an animation (it carries -delay, -dispose or -loop) joins the files a
// pattern matches; anywhere else "coin?.jpg" is a file name, missing or not.
bool expandsPattern(const ConvertRequest& request) {
    const AnimationSettings& a = request.animation;
    if (!a.delay && !a.disposal && !a.loop) return false;
    struct stat info {};
    return hasWildcard(request.input) && ::stat(request.input.c_str(), &info) != 0;
}

}  // namespace

ConvertRequest parseConvertArguments(const std::vector<std::string>& args) {
    if (args.size() < 2) throw CommandError("expected an input and an output file");
    ConvertRequest request;
    request.input = args.front();
    request.output = args.back();
    if (request.input.empty()) throw CommandError("the input file name is empty");
    std::optional<ImageFormat> format = formatForOutputName(request.output);
    if (!format) throw CommandError("unsupported output format for \"" + request.output + "\"");
    request.outputFormat = *format;

    const std::vector<std::string> middle(args.begin() + 1, args.end() - 1);
    Gravity gravity = Gravity::NorthWest;
    // ImageMagick keeps a cropped picture's place on its old canvas, which
    // GIF and PNG would write; only "+repage" after it forgets that place.
    bool keptCanvas = false;
    Rgb fill{0, 0, 0};  // a setting, for the operators after it; black as in convert
    for (std::size_t i = 0; i < middle.size(); ++i) {
        const std::string& option = middle[i];
        if (option == "-geometry" || option == "-resize") {
            request.steps.push_back({ConvertStep::Kind::Resize, parseGeometry(valueOf(middle, i)), {}});
        } else if (option == "-gravity") {
            gravity = parseGravity(valueOf(middle, i));
        } else if (option == "-crop") {
            ConvertStep step{ConvertStep::Kind::Crop, {}, {}};
            step.crop = parseCropGeometry(valueOf(middle, i));
            step.gravity = gravity;
            request.steps.push_back(step);
            keptCanvas = true;
        } else if (option == "+repage") {
            keptCanvas = false;
        } else if (option == "-negate") {
            request.steps.push_back({ConvertStep::Kind::Negate, {}, {}});
        } else if (option == "-transparent") {
            request.steps.push_back({ConvertStep::Kind::Transparent, {}, parseColor(valueOf(middle, i))});
        } else if (option == "-fill") {
            fill = parseColor(valueOf(middle, i));
        } else if (option == "-colorize") {
            std::string value = valueOf(middle, i);
            if (!value.empty() && value.back() == '%') value.pop_back();
            ConvertStep step{ConvertStep::Kind::Colorize, {}, fill};
            step.percent = parseCount(option, value, 100);
            request.steps.push_back(step);
        } else if (option == "-compress") {
            // GIF is always LZW; any other scheme is a request we cannot honour.
            const std::string& value = valueOf(middle, i);
            if (value.size() != 3 || (value[0] | 0x20) != 'l' || (value[1] | 0x20) != 'z' ||
                (value[2] | 0x20) != 'w')
                throw CommandError("unsupported compression \"" + value + "\"");
        } else if (option == "-delay") {
            request.animation.delay = parseCount(option, valueOf(middle, i), 65535);
        } else if (option == "-dispose") {
            request.animation.disposal = parseDisposal(valueOf(middle, i));
        } else if (option == "-loop") {
            request.animation.loop = parseCount(option, valueOf(middle, i), 65535);
        } else if (!option.empty() && option[0] == '-') {
            throw CommandError("unknown option \"" + option + "\"");
        } else {
            throw CommandError("unexpected argument \"" + option + "\"");
        }
    }
    if (keptCanvas) throw CommandError("a -crop needs +repage after it");
    return request;
}

void runConvert(const ConvertRequest& request) {
    std::vector<std::string> inputs;
    const bool pattern = expandsPattern(request);
    if (pattern) {
        inputs = expandWildcard(request.input);
        if (inputs.empty()) throw CommandError("no file matches \"" + request.input + "\"");
        if (inputs.size() > kMaxFrames) throw CommandError("too many files match \"" + request.input + "\"");
    } else {
        inputs.push_back(request.input);
    }
    // Only a GIF holds several frames; other formats get the first one.
    if (request.outputFormat != ImageFormat::Gif) inputs.resize(1);

    if (inputs.size() == 1 && !pattern) {
        // A first resize to an exact or covering size lets a large photo be
        // decoded at a reduced scale.
        std::optional<ResizeGeometry> nextResize;
        if (!request.steps.empty() && request.steps.front().kind == ConvertStep::Kind::Resize &&
            (request.steps.front().geometry.exact || request.steps.front().geometry.fill))
            nextResize = request.steps.front().geometry;
        const LoadedPicture loaded = loadPicture(inputs.front(), nextResize);
        writePicture(request.output, applySteps(*loaded.picture, loaded.source, request.steps),
                     request.outputFormat, request.animation);
        return;
    }
    if (request.steps.empty() && !plainPath()) {
        writeOutputFile(request.output, assembleAnimation(inputs, request.animation));
        return;
    }

    std::vector<Picture> frames;
    long long totalPixels = 0;
    for (const std::string& path : inputs) {
        Picture frame = applySteps(decodeFirstFrame(readInputFile(path), path), {}, request.steps);
        totalPixels += static_cast<long long>(frame.pixelCount());
        if (totalPixels > kMaxAnimationPixels) throw CommandError("the frames are too large together");
        frames.push_back(std::move(frame));
    }

    std::vector<std::uint8_t> bytes = request.outputFormat == ImageFormat::Gif
                                          ? encodeGif(frames, request.animation)
                                          : encodePicture(frames.front(), request.outputFormat);
    writeOutputFile(request.output, bytes);
}

void convertCommand(const std::vector<std::string>& args) { runConvert(parseConvertArguments(args)); }

}  // namespace pivra::imagelib
