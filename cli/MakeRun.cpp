#include "MakeRun.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "ConsoleControls.h"
#include "PictureCheck.h"
#include "RunFolder.h"
#include "StopSignals.h"
#include "TraceStream.h"
#include "builder/SpinBuilder.h"
#include "builder/WorkingTemplates.h"
#include "imagecmd/ImageCommands.h"
#include "platform/AppFolders.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/ReplaceFile.h"

namespace fs = std::filesystem;

namespace pivra {
namespace {

// Keeps what the build would show in message boxes, one line each.
class CollectingNotifier : public Notifier {
public:
    void show(const std::string& prompt, int, const std::string&) override {
        std::string line = prompt;
        for (char& c : line)
            if (c == '\n') c = ' ';
        messages.push_back(line);
    }
    std::vector<std::string> messages;
};

int Fail(const std::string& line) {
    std::fprintf(stderr, "pivra-make: %s\n", line.c_str());
    return 1;
}

void Warn(const std::string& line) { std::fprintf(stderr, "pivra-make: warning: %s\n", line.c_str()); }

// The exit of a run that was asked to stop (the caller has cleaned up).
int Stopped(const TraceStream* trace) {
    if (const int signal = StopSignal()) {
        std::fprintf(stderr, "pivra-make: stopped (%s)\n", strsignal(signal));
        return 128 + signal;
    }
    const int error = trace ? trace->error() : 0;
    if (error == EPIPE) return 128 + SIGPIPE;  // the reader went away: nobody to tell
    return Fail("cannot write the trace: " + std::string(std::strerror(error)));
}

bool CheckOutput(const std::string& output, std::string& why) {
    std::string target;
    if (!ResolveWriteTarget(output, target, why)) return false;
    std::error_code ec;
    const fs::path folder = fs::path(target).parent_path();
    if (!fs::is_directory(folder, ec)) {
        why = "no such folder " + folder.string();
        return false;
    }
    if (::access(folder.c_str(), W_OK) != 0) {
        why = "the folder " + folder.string() + " is not writable";
        return false;
    }
    return true;
}

std::string DescribeMissing(const ImageCommands::MissingOutput& m, const std::string& appStr) {
    std::string what = "the image command writing " + m.dst + " failed";
    if (m.dst == appStr + "Masks/ImagA.gif") what = "the head picture could not be read";
    if (m.dst == appStr + "Masks/ImagB.gif") what = "the tail picture could not be read";
    return m.reason.empty() ? what : what + ": " + m.reason;
}

// A command whose output is missing fails the run: the library's message if
// it showed one (a refused path, a missing library), else what failed and why.
int FailMissing(const ImageCommands& commands, const CollectingNotifier& notifier, const std::string& appStr) {
    return Fail(notifier.messages.empty() ? DescribeMissing(commands.firstMissingOutput(), appStr)
                                          : notifier.messages.front());
}

}  // namespace

int RunPivraMake(const MakeOptions& o, TraceStream& trace) {
    const std::string head = AbsolutePath(o.head), tail = AbsolutePath(o.tail);
    const std::string output = AbsolutePath(o.output);
    std::string why;
    if (!CheckPictureFile(head, why)) return Fail("cannot use the head picture " + head + ": " + why);
    if (!CheckPictureFile(tail, why)) return Fail("cannot use the tail picture " + tail + ": " + why);
    if (!CheckOutput(output, why)) return Fail("cannot write " + output + ": " + why);

    const TraceStream* traced = o.trace ? &trace : nullptr;
    ConsoleControls controls(!o.quiet && ::isatty(STDERR_FILENO), traced);
    FileSystem fso;
    RunFolder folder;
    if (!folder.prepare(o.workdir, fso, why)) return Fail(why);
    if (controls.stopRequested()) return Stopped(traced);

    PivraState state;
    state.AppStr = folder.appStr();
    CollectingNotifier notifier;
    ScopedNotifier notifierScope(notifier);
    state.i_size = static_cast<int16_t>(12 * o.scale);
    state.SpinStep = static_cast<int16_t>(o.scale);
    state.SpinPos = 0;
    state.ShowHead = true;
    state.HeadFile = head;
    state.TailFile = tail;
    state.BuildRequested = true;

    ImageCommands commands(state.i_size, fso, ImageLibraryFiles{LocateAppFolders().libraries});
    commands.setWorkingRoot(state.AppStr);
    if (o.trace) commands.setTrace(&trace);
    MakeWorkingTemplates(commands, state, state.AppStr);
    if (controls.stopRequested()) return Stopped(traced);
    if (commands.missingOutputs() > 0) return FailMissing(commands, notifier, state.AppStr);

    SpinBuilder builder(state, fso, commands, controls);
    const BuildResult result = builder.BuildSpin();
    controls.endBar();
    if (result == BuildResult::Stopped || controls.stopRequested()) return Stopped(traced);
    if (result == BuildResult::Failed)
        return Fail(notifier.messages.empty() ? "the build failed" : notifier.messages.front());
    if (commands.missingOutputs() > 0) return FailMissing(commands, notifier, state.AppStr);
    // The animation is whole: what the build still had to say (a working
    // folder left behind) does not undo it.
    for (const std::string& message : notifier.messages) Warn(message);
    const std::string animation = state.AppStr + "Work/pivra.gif";
    if (!fso.FileExists(animation)) return Fail("the build produced no animation");
    {
        // Written whole or not at all: a stop signal waits until it is in place.
        StopSignalsHeld held;
        if (!fso.CopyFile(animation, output)) return Fail(fso.lastError());
    }
    if (!folder.removePrivate(why)) Warn("the working folder " + folder.privatePath() + " could not be removed: " + why);
    if (StopSignal() != 0) return Stopped(traced);
    return 0;
}

}  // namespace pivra
