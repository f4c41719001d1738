#include "ImageCommands.h"

#include <filesystem>
#include <ostream>
#include <utility>

#include "platform/CurrentFolder.h"
#include "platform/FileSystem.h"

namespace pivra {

ImageCommands::ImageCommands(const int16_t& i_size, FileSystem& fso, ImageLibraryFiles files)
    : i_size_(i_size),
      fso_(fso),
      morphex_(files.folder, std::move(files.morphex), "fnMorphex"),
      layerik_(files.folder, std::move(files.layerik), "fnLayerik") {}

void ImageCommands::setWorkingRoot(const std::string& folder) {
    workingRoot_ = folder.empty() ? folder : std::filesystem::absolute(folder).string();
    if (!workingRoot_.empty() && workingRoot_.back() != '/') workingRoot_ += '/';
}

CommandStatus ImageCommands::RunConvert(const std::string& src, const std::string& dst,
                                        const int16_t& value, const int16_t& mode) {
    std::vector<CommandArg> args{{"Morphex.dll"}, {src, ArgKind::Input}};
    // Tested in the order 0, 1, 2, 3; any other mode adds no options.
    if (mode == TransparentWhite) {
        args.insert(args.end(), {{"-transparent"}, {"white"}});
    } else if (mode == Resize || mode == ResizeNegate) {
        args.insert(args.end(), {{"-geometry"}, {std::to_string(value) + "X" + std::to_string(i_size_) + "!"}});
        if (mode == ResizeNegate) args.push_back({"-negate"});
    } else if (mode == Animate) {
        args.insert(args.end(), {{"-compress"}, {"LZW"}, {"-delay"}, {std::to_string(value)}, {"-dispose"},
                                 {"background"}, {"-loop"}, {"0"}});
    }
    args.push_back({dst, ArgKind::Output});
    return run(morphex_, args, dst);
}

CommandStatus ImageCommands::RunConvertWith(const std::string& src, const std::string& dst,
                                            const std::vector<std::string>& options) {
    std::vector<CommandArg> args{{"Morphex.dll"}, {src, ArgKind::Input}};
    for (const std::string& option : options) args.push_back({option});
    args.push_back({dst, ArgKind::Output});
    return run(morphex_, args, dst);
}

CommandStatus ImageCommands::RunComposite(const std::string& src, const std::string& dst,
                                          const std::string& base, const int16_t& mode) {
    std::vector<CommandArg> args{{"Layerik.dll"}, {src, ArgKind::Input}};
    if (mode == CenterOnBase) {
        args.insert(args.end(), {{"-gravity"}, {"center"}, {base, ArgKind::Input}});
    } else {
        // base is named twice: once as the picture below, once as the mask.
        args.insert(args.end(), {{base, ArgKind::Input}, {base, ArgKind::Input}});
    }
    args.push_back({dst, ArgKind::Output});
    return run(layerik_, args, dst);
}

CommandStatus ImageCommands::RunFillColour(const std::string& src, const std::string& dst,
                                           const std::string& colour) {
    std::vector<CommandArg> args{{"Morphex.dll"}, {src, ArgKind::Input}, {"-fill"}, {colour}, {"-colorize"}, {"100"},
                                 {dst, ArgKind::Output}};
    return run(morphex_, args, dst);
}

CommandStatus ImageCommands::RunCompositeThroughMask(const std::string& src, const std::string& dst,
                                                     const std::string& base, const std::string& mask) {
    std::vector<CommandArg> args{{"Layerik.dll"}, {src, ArgKind::Input}, {base, ArgKind::Input},
                                 {mask, ArgKind::Input}, {dst, ArgKind::Output}};
    return run(layerik_, args, dst);
}

CommandStatus ImageCommands::run(ImageLibrary& library, std::vector<CommandArg>& args, const std::string& dst) {
    ShortPaths paths(workingRoot_);
    if (!paths.fit(args)) return refuse(dst, paths.refused(), paths.why());
    ArgBlock block;
    for (const CommandArg& a : args) AppendArg(block, a.text);
    if (block.overflowed) return refuse(dst, block.refused, "the block cannot hold it");
    if (!library.load()) {
        lastLibraryError_ = library.loadError();
        return noteMissing(dst, lastLibraryError_, CommandStatus::LibraryUnavailable);
    }
    // The output file is the only test of success, so an earlier file of that
    // name (a scratch file, a template of another scale) must go first.
    std::string why;
    if (!removeOldOutput(dst, why)) return noteMissing(dst, why, CommandStatus::StaleOutput);
    // The calls may run in the working root; the output is looked for where its name meant here.
    const std::string output = paths.runInWorkingRoot() && !dst.empty() ? std::filesystem::absolute(dst).string() : dst;
    CurrentFolder here;
    if (paths.runInWorkingRoot() && !here.enter(workingRoot_, why))
        return refuse(dst, paths.refused(), "the working folder " + workingRoot_ + " cannot be entered: " + why);
    callOnce(library, block, paths);
    // One identical retry when the output is missing, then it is counted as missing.
    if (!fso_.FileExists(output)) {
        callOnce(library, block, paths);
        if (!fso_.FileExists(output)) noteMissing(dst, lastLibraryError_, CommandStatus::Ran);
    }
    return CommandStatus::Ran;
}

// Nothing is shown from here: the reason goes with the missing output, and
// whoever judges the commands tells the user once.
CommandStatus ImageCommands::refuse(const std::string& dst, const std::string& path, const std::string& why) {
    return noteMissing(dst,
                       "the path is too long for the image library (at most 99 bytes), and no shorter name could "
                       "be made for it (" + why + "): " + path,
                       CommandStatus::Refused);
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

int ImageCommands::callOnce(ImageLibrary& library, ArgBlock& block, const ShortPaths& paths) {
    if (trace_) {
        for (int i = 0; i < block.argc; ++i) *trace_ << (i ? "\t" : "") << block.argv[i];
        *trace_ << '\n' << std::flush;
    }
    const int result = library.call(block.argc, block.argv);
    lastLibraryError_ = result != 0 ? paths.restore(library.lastCommandError()) : std::string();
    return result;
}

}  // namespace pivra
