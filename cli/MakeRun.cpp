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
#include "OptionValues.h"
#include "render/Destinations.h"
#include "render/FittedExport.h"
#include "render/RenderAnimation.h"
#include "render/ExportAnimation.h"

namespace fs = std::filesystem;

namespace pivra {
namespace {

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

// Keeps what the build would show in message boxes, one line each.
class CollectingNotifier : public Notifier {
public:
    void show(const std::string& prompt, int, const std::string&) override {
        messages.push_back(OneLine(prompt));
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

// Every output but a plain GIF renders from the pictures themselves: no
// working folder, no image library commands.
int RunRendered(const MakeOptions& o, const std::string& head, const std::string& tail, const std::string& output) {
    const AnimationFormat format = FormatOfName(output).value_or(AnimationFormat::Gif);
    const Destination* destination = FindDestination(o.destination);
    RenderRequest request;
    request.head = head;
    request.tail = tail;
    request.crop = o.crop;
    request.look = o.coinLook ? LookKind::Coin : LookKind::Flat;
    request.coin.side = destination ? destination->side : o.size > 0 ? o.size : 12 * o.scale;
    request.coin.frames = o.frames;
    request.frameMs = o.frameMs;
    request.coin.thickness = o.thickness;
    if (!o.rim.empty()) request.coin.rim = imagelib::parseColor(o.rim);
    request.coin.light = o.light;
    request.coin.perspective = o.perspective;
    EncodeSettings settings;
    settings.webp = WebpSettings{o.quality, o.lossless};
    if (!o.matte.empty()) {
        const imagelib::Rgb page = imagelib::parseColor(o.matte);
        settings.gif.matte = std::array<std::uint8_t, 3>{page.r, page.g, page.b};
    }
    const bool budgeted = destination || o.maxBytes > 0;
    ExportBudget budget;
    if (destination) budget = BudgetOf(*destination, o.maxBytes);
    else budget.maxBytes = o.maxBytes;
    FittedExport made = RenderFitted(request, format, settings, budget);
    if (made.status != FittedExport::Status::Made) return Fail(made.why);
    if (budgeted) {
        std::printf("%s\n", made.line.c_str());
        std::fflush(stdout);
    }
    const std::vector<std::uint8_t>& bytes = made.bytes;
    std::string why;
    if (StopSignal() != 0) return Stopped(nullptr);
    {
        StopSignalsHeld held;
        if (!ReplaceWithBytes(bytes, output, why)) return Fail("cannot write " + output + ": " + why);
    }
    return 0;
}

}  // namespace

int RunPivraMake(const MakeOptions& o, TraceStream& trace) {
    const std::string head = AbsolutePath(o.head), tail = AbsolutePath(o.tail);
    const std::string output = AbsolutePath(o.output);
    std::string why;
    if (!CheckPictureFile(head, why)) return Fail("cannot use the head picture " + head + ": " + why);
    if (!CheckPictureFile(tail, why)) return Fail("cannot use the tail picture " + tail + ": " + why);
    if (!CheckOutput(output, why)) return Fail("cannot write " + output + ": " + why);
    if (RendersFromPictures(o)) {
        // Accepted so that command lines written for the GIF build still run;
        // a rendered output has no working folder and runs no image commands.
        if (!o.workdir.empty() || o.trace)
            Warn(std::string(!o.workdir.empty() && o.trace ? "--workdir and --trace apply" : !o.workdir.empty() ? "--workdir applies" : "--trace applies") +
                 " only to the GIF build; this output is rendered from the pictures without them");
        return RunRendered(o, head, tail, output);
    }

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
    state.CropToSquare = o.crop;
    state.BuildRequested = true;
    state.PageColour = o.matte;

    ImageCommands commands(state.i_size, fso, ImageLibraryFiles{LocateAppFolders().libraries});
    commands.setWorkingRoot(state.AppStr);
    if (o.trace) commands.setTrace(&trace);
    MakeWorkingTemplates(commands, state, state.AppStr);
    if (controls.stopRequested()) return Stopped(traced);
    if (commands.missingOutputs() > 0) return Fail(DescribeMissingOutputs(commands, state));

    SpinBuilder builder(state, fso, commands, controls);
    const BuildOutcome outcome = builder.BuildSpin();
    controls.endBar();
    if (outcome.result == BuildResult::Stopped || controls.stopRequested()) return Stopped(traced);
    if (outcome.result != BuildResult::Finished) return Fail(outcome.reason.empty() ? "the build did not run" : OneLine(outcome.reason));
    // The animation is whole: what the build still had to say (a working
    // folder left behind) does not undo it.
    if (!outcome.warning.empty()) Warn(OneLine(outcome.warning));
    for (const std::string& message : notifier.messages) Warn(message);
    const std::string animation = state.AppStr + "Work/pivra.gif";
    if (controls.stopRequested()) return Stopped(traced);
    {
        // Written whole or not at all: a stop signal waits until it is in place.
        StopSignalsHeld held;
        if (!fso.CopyFile(animation, output)) return Fail(fso.lastError());
    }
    // OUTPUT is in place: the run has done its job, even if a stop signal came
    // while it was renamed there.
    if (!folder.removePrivate(why)) Warn("the working folder " + folder.privatePath() + " could not be removed: " + why);
    return 0;
}

}  // namespace pivra
