#include "ImageCommands.h"

#include <filesystem>
#include <ostream>
#include <utility>

#include "platform/FileSystem.h"

namespace pivra {

ImageCommands::ImageCommands(const int16_t& i_size, FileSystem& fso, ImageLibraryFiles files)
    : i_size_(i_size),
      fso_(fso),
      morphex_(files.folder, std::move(files.morphex), "fnMorphex"),
      layerik_(files.folder, std::move(files.layerik), "fnLayerik") {}

CommandStatus ImageCommands::RunConvert(const std::string& src, const std::string& dst,
                                        const int16_t& value, const int16_t& mode) {
    ArgBlock block;
    AppendArg(block, "Morphex.dll");
    AppendArg(block, src);
    // Tested in the order 0, 1, 2, 3; any other mode adds no options.
    if (mode == TransparentWhite) {
        AppendArg(block, "-transparent");
        AppendArg(block, "white");
    } else if (mode == Resize || mode == ResizeNegate) {
        AppendArg(block, "-geometry");
        AppendArg(block, std::to_string(value) + "X" + std::to_string(i_size_) + "!");
        if (mode == ResizeNegate) AppendArg(block, "-negate");
    } else if (mode == Animate) {
        for (const char* option : {"-compress", "LZW", "-delay"}) AppendArg(block, option);
        AppendArg(block, std::to_string(value));
        for (const char* option : {"-dispose", "background", "-loop", "0"}) AppendArg(block, option);
    }
    AppendArg(block, dst);
    return run(morphex_, block, dst);
}

CommandStatus ImageCommands::RunComposite(const std::string& src, const std::string& dst,
                                          const std::string& base, const int16_t& mode) {
    ArgBlock block;
    AppendArg(block, "Layerik.dll");
    AppendArg(block, src);
    if (mode == CenterOnBase) {
        AppendArg(block, "-gravity");
        AppendArg(block, "center");
        AppendArg(block, base);
    } else {
        // base is named twice: once as the picture below, once as the mask.
        AppendArg(block, base);
        AppendArg(block, base);
    }
    AppendArg(block, dst);
    return run(layerik_, block, dst);
}

CommandStatus ImageCommands::RunFillColour(const std::string& src, const std::string& dst,
                                           const std::string& colour) {
    ArgBlock block;
    for (const std::string& arg : {std::string("Morphex.dll"), src, std::string("-fill"), colour,
                                   std::string("-colorize"), std::string("100"), dst})
        AppendArg(block, arg);
    return run(morphex_, block, dst);
}

CommandStatus ImageCommands::RunCompositeThroughMask(const std::string& src, const std::string& dst,
                                                     const std::string& base, const std::string& mask) {
    ArgBlock block;
    AppendArg(block, "Layerik.dll");
    for (const std::string* arg : {&src, &base, &mask, &dst}) AppendArg(block, *arg);
    return run(layerik_, block, dst);
}

CommandStatus ImageCommands::run(ImageLibrary& library, ArgBlock& block, const std::string& dst) {
    // Nothing is shown from here: the reason goes with the missing output,
    // and whoever judges the commands tells the user once.
    if (block.overflowed) return noteMissing(dst, "the path is too long for the image library (at most 99 bytes): " + block.refused, CommandStatus::Refused);
    if (!library.load()) {
        lastLibraryError_ = library.loadError();
        return noteMissing(dst, lastLibraryError_, CommandStatus::LibraryUnavailable);
    }
    // The output file is the only test of success, so an earlier file of that
    // name (a scratch file, a template of another scale) must go first.
    std::string why;
    if (!removeOldOutput(dst, why)) return noteMissing(dst, why, CommandStatus::StaleOutput);
    callOnce(library, block);
    // One identical retry when the output is missing, then it is counted as missing.
    if (!fso_.FileExists(dst)) {
        callOnce(library, block);
        if (!fso_.FileExists(dst)) noteMissing(dst, lastLibraryError_, CommandStatus::Ran);
    }
    return CommandStatus::Ran;
}

bool ImageCommands::removeOldOutput(const std::string& dst, std::string& why) {
    std::error_code ec;
    // symlink_status: a link, even a dangling one, is removed, never written through.
    if (std::filesystem::symlink_status(dst, ec).type() == std::filesystem::file_type::not_found) return true;
    if (fso_.DeleteFile(dst)) return true;
    why = "the old output could not be removed: " + fso_.lastError();
    return false;
}

CommandStatus ImageCommands::noteMissing(const std::string& dst, const std::string& reason,
                                         CommandStatus status) {
    if (missingOutputs_++ == 0) firstMissing_ = {dst, reason};
    return status;
}

int ImageCommands::callOnce(ImageLibrary& library, ArgBlock& block) {
    if (trace_) {
        for (int i = 0; i < block.argc; ++i) *trace_ << (i ? "\t" : "") << block.argv[i];
        *trace_ << '\n' << std::flush;
    }
    const int result = library.call(block.argc, block.argv);
    lastLibraryError_ = result != 0 ? library.lastCommandError() : std::string();
    return result;
}

}  // namespace pivra
