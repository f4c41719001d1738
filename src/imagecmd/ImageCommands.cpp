#include "ImageCommands.h"

#include <filesystem>
#include <ostream>
#include <sstream>
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
    PreparedCommand command{&library, std::move(args), dst};
    if (defer_) {
        defer_(std::move(command));
        return CommandStatus::Ran;
    }
    const CommandOutcome outcome = execute(command, trace_);
    takeOutcome(outcome);
    return outcome.status;
}

CommandOutcome ImageCommands::execute(const PreparedCommand& command, std::ostream* trace) {
    std::ostringstream kept;
    std::ostream* lines = trace ? trace : trace_ ? &kept : nullptr;
    std::vector<CommandArg> args = command.args;
    ImageLibrary& library = *command.library;
    CommandOutcome outcome = [&] {
        ShortPaths paths(workingRoot_);
        if (!paths.fit(args)) return refuse(paths.refused(), paths.why());
        ArgBlock block;
        for (const CommandArg& a : args) AppendArg(block, a.text);
        if (block.overflowed) return refuse(block.refused, "the block cannot hold it");
        CommandOutcome o;
        if (!library.load()) {
            o.libraryError = library.loadError();
            o.missing = true, o.missingReason = o.libraryError, o.status = CommandStatus::LibraryUnavailable;
            return o;
        }
        // The output file is the only test of success, so an earlier file of that
        // name (a scratch file, a template of another scale) must go first.
        std::string why;
        if (!removeOldOutput(command.dst, why)) {
            o.missing = true, o.missingReason = why, o.status = CommandStatus::StaleOutput;
            return o;
        }
        // The calls may run in the working root; the output is looked for where its name meant here.
        const std::string& dst = command.dst;
        const std::string output =
            paths.runInWorkingRoot() && !dst.empty() ? std::filesystem::absolute(dst).string() : dst;
        std::unique_lock<std::shared_mutex> alone(folderMutex_, std::defer_lock);
        std::shared_lock<std::shared_mutex> beside(folderMutex_, std::defer_lock);
        if (paths.runInWorkingRoot()) alone.lock(); else beside.lock();
        CurrentFolder here;
        if (paths.runInWorkingRoot() && !here.enter(workingRoot_, why))
            return refuse(paths.refused(), "the working folder " + workingRoot_ + " cannot be entered: " + why);
        o.libraryError = callOnce(library, block, paths, lines);
        // One identical retry when the output is missing, then it is counted as missing.
        if (!fso_.FileExists(output)) {
            o.libraryError = callOnce(library, block, paths, lines);
            if (!fso_.FileExists(output)) o.missing = true, o.missingReason = o.libraryError;
        }
        return o;
    }();
    outcome.dst = command.dst;
    if (!trace) outcome.trace = kept.str();
    return outcome;
}

void ImageCommands::takeOutcome(const CommandOutcome& outcome) {
    if (trace_ && !outcome.trace.empty()) *trace_ << outcome.trace << std::flush;
    // A command refused before its call leaves the last library's reason as it was.
    if (outcome.status == CommandStatus::Ran || outcome.status == CommandStatus::LibraryUnavailable)
        lastLibraryError_ = outcome.libraryError;
    if (outcome.missing) noteMissing(outcome.dst, outcome.missingReason, outcome.status);
}

// Nothing is shown from here: the reason goes with the missing output, and
// whoever judges the commands tells the user once.
CommandOutcome ImageCommands::refuse(const std::string& path, const std::string& why) {
    CommandOutcome o;
    o.status = CommandStatus::Refused;
    o.missing = true;
    o.missingReason = "the path is too long for the image library (at most 99 bytes), and no shorter name could "
                      "be made for it (" + why + "): " + path;
    return o;
}

bool ImageCommands::removeOldOutput(const std::string& dst, std::string& why) {
    std::error_code ec;
    // symlink_status: a link, even a dangling one, is removed, never written through.
    if (std::filesystem::symlink_status(dst, ec).type() == std::filesystem::file_type::not_found) return true;
    std::lock_guard<std::mutex> lock(fsoMutex_);
    if (fso_.DeleteFile(dst)) return true;
    why = "the old output could not be removed: " + fso_.lastError();
    return false;
}

CommandStatus ImageCommands::noteMissing(const std::string& dst, const std::string& reason,
                                         CommandStatus status) {
    if (missingOutputs_++ == 0) firstMissing_ = {dst, reason};
    return status;
}

// The library's reason when it failed, else empty.
std::string ImageCommands::callOnce(ImageLibrary& library, ArgBlock& block, const ShortPaths& paths,
                                    std::ostream* trace) {
    if (trace) {
        for (int i = 0; i < block.argc; ++i) *trace << (i ? "\t" : "") << block.argv[i];
        *trace << '\n' << std::flush;
    }
    const int result = library.call(block.argc, block.argv);
    return result != 0 ? paths.restore(library.lastCommandError()) : std::string();
}

}  // namespace pivra
