#pragma once
// Turns conversion and composition requests into argument blocks for the two
// image command libraries, runs them and checks that the output was written,
// trying once more when it was not.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "imagecmd/ArgBlock.h"
#include "imagecmd/ImageLibrary.h"
#include "imagecmd/ShortPaths.h"

namespace pivra {

class FileSystem;

enum ConvertMode : int16_t { TransparentWhite = 0, Resize = 1, ResizeNegate = 2, Animate = 3 };
enum CompositeMode : int16_t { CenterOnBase = 0, MaskWithBase = 1 };

// What became of one command. Callers may ignore it, as the build does:
// success is judged by the output file alone.
enum class CommandStatus {
    Ran,                 // the library was called (once, or twice when the output was missing)
    Refused,             // a path could not be made to fit the block; nothing was run
    LibraryUnavailable,  // the library or its entry point could not be loaded
    StaleOutput,         // an earlier file of the output's name could not be removed; nothing was run
};

// Where the two libraries are found.
struct ImageLibraryFiles {
    std::string folder;  // searched first; the system's search follows
    std::string morphex = "libMorphex.so";
    std::string layerik = "libLayerik.so";
};

// A command made but not yet run: the library, its arguments as the caller
// gave them (inputs and outputs marked) and the output judged.
struct PreparedCommand {
    ImageLibrary* library = nullptr;
    std::vector<CommandArg> args;
    std::string dst;
};

// What running a prepared command came to, to be taken in by takeOutcome.
struct CommandOutcome {
    CommandStatus status = CommandStatus::Ran;
    std::string dst;
    std::string trace;  // the trace lines, when they were kept for later
    std::string libraryError;
    bool missing = false;
    std::string missingReason;
};

class ImageCommands {
public:
    // i_size is the window's face size, read at every Resize.
    ImageCommands(const int16_t& i_size, FileSystem& fso, ImageLibraryFiles files);

    CommandStatus RunConvert(const std::string& src, const std::string& dst, const int16_t& value,
                             const int16_t& mode);
    // A conversion with options of the caller's own between src and dst.
    CommandStatus RunConvertWith(const std::string& src, const std::string& dst,
                                 const std::vector<std::string>& options);
    CommandStatus RunComposite(const std::string& src, const std::string& dst, const std::string& base,
                               const int16_t& mode);

    // The folder the working files lie under (AppStr). A path too long for
    // the libraries' argument rows is handed over from there; without it such
    // a command is refused.
    void setWorkingRoot(const std::string& folder);

    // For a page colour: src with every pixel in colour ("#rrggbb"), its
    // transparency kept (-fill colour -colorize 100).
    CommandStatus RunFillColour(const std::string& src, const std::string& dst, const std::string& colour);
    // src laid on base through a mask of its own (composite src base mask dst).
    CommandStatus RunCompositeThroughMask(const std::string& src, const std::string& dst, const std::string& base,
                                          const std::string& mask);

    // When set, every library call first writes its argument vector as one
    // tab-separated line to this stream.
    void setTrace(std::ostream* trace) { trace_ = trace; }

    // While set, every Run… call hands its command here instead of running
    // it, and answers Ran. Whoever takes them runs them with execute().
    void deferTo(std::function<void(PreparedCommand)> sink) { defer_ = std::move(sink); }
    // Runs one command; safe beside other execute() calls on other threads.
    // Its trace lines go to `trace`, or are kept in the outcome while tracing.
    CommandOutcome execute(const PreparedCommand& command, std::ostream* trace = nullptr);
    // Takes in what a command came to, as if it had just run here: its
    // trace lines, its library's reason and its missing output. Called in
    // the order the commands were made.
    void takeOutcome(const CommandOutcome& outcome);
    bool tracing() const { return trace_ != nullptr; }

    // The library's own reason for the last command that failed, if known.
    std::string lastLibraryError() const { return lastLibraryError_; }

    // Commands whose output was still missing after the retry (or that never
    // ran), counted for reporting only: the first one is kept with its reason.
    struct MissingOutput {
        std::string dst;
        std::string reason;
    };
    int missingOutputs() const { return missingOutputs_; }
    const MissingOutput& firstMissingOutput() const { return firstMissing_; }
    void resetMissingOutputs() { missingOutputs_ = 0; firstMissing_ = {}; }

private:
    CommandStatus run(ImageLibrary& library, std::vector<CommandArg>& args, const std::string& dst);
    static CommandOutcome refuse(const std::string& path, const std::string& why);
    static std::string callOnce(ImageLibrary& library, ArgBlock& block, const ShortPaths& paths, std::ostream* trace);
    bool removeOldOutput(const std::string& dst, std::string& why);
    CommandStatus noteMissing(const std::string& dst, const std::string& reason, CommandStatus status);

    const int16_t& i_size_;
    FileSystem& fso_;
    ImageLibrary morphex_;
    ImageLibrary layerik_;
    std::string workingRoot_;
    std::ostream* trace_ = nullptr;
    std::string lastLibraryError_;
    int missingOutputs_ = 0;
    MissingOutput firstMissing_;
    std::function<void(PreparedCommand)> defer_;
    std::mutex fsoMutex_;     // fso_ keeps the reason of its last failure
    // The current folder is the process's: a command that runs in the
    // working root has it to itself.
    std::shared_mutex folderMutex_;
};

}  // namespace pivra
