#include "CompositeCommand.h"

#include "CommandError.h"
#include "PictureLoader.h"
#include "PictureWriter.h"
#include "PixelOps.h"

namespace pivra::imagelib {

CompositeRequest parseCompositeArguments(const std::vector<std::string>& args) {
    CompositeRequest request;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // The first argument is always the source, whatever it looks like.
        if (i == 0 || arg.empty() || arg[0] != '-') {
            files.push_back(arg);
        } else if (arg == "-gravity") {
            if (i + 1 >= args.size()) throw CommandError("option \"-gravity\" needs a value");
            request.gravity = parseGravity(args[++i]);
        } else {
            throw CommandError("unknown option \"" + arg + "\"");
        }
    }
    if (files.size() != 3 && files.size() != 4)
        throw CommandError("expected src base [mask] dst, got " + std::to_string(files.size()) + " files");
    for (const std::string& file : files)
        if (file.empty()) throw CommandError("a file name is empty");
    request.source = files[0];
    request.base = files[1];
    if (files.size() == 4) request.mask = files[2];
    request.output = files.back();
    std::optional<ImageFormat> format = formatForOutputName(request.output);
    if (!format) throw CommandError("unsupported output format for \"" + request.output + "\"");
    request.outputFormat = *format;
    return request;
}

void runComposite(const CompositeRequest& request) {
    const std::shared_ptr<const Picture> source = loadPicture(request.source).picture;
    const std::shared_ptr<const Picture> base = loadPicture(request.base).picture;
    Picture result = *base;
    int x = 0, y = 0;
    gravityOffset(request.gravity, result.width, result.height, source->width, source->height, x, y);
    if (request.mask) {
        // The mask is read once even when it names the same file as base.
        const std::shared_ptr<const Picture> mask =
            *request.mask == request.base ? base : loadPicture(*request.mask).picture;
        compositeThroughMask(*source, result, *mask, x, y);
    } else {
        compositeOver(*source, result, x, y);
    }
    result.palette = false;
    writePicture(request.output, result, request.outputFormat);
}

void compositeCommand(const std::vector<std::string>& args) { runComposite(parseCompositeArguments(args)); }

}  // namespace pivra::imagelib
