#include "MakeRun.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <vector>

#include "ConsoleControls.h"
#include "PictureCheck.h"
#include "builder/SpinBuilder.h"
#include "builder/WorkingTemplates.h"
#include "imagecmd/ImageCommands.h"
#include "platform/AppFolders.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"

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

// The private working folder of one run, removed when the run ends.
class PrivateFolder {
public:
    bool make(std::string& error) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/pivra-make-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back(0);
        if (!mkdtemp(buf.data())) {
            error = "cannot make a working folder in " + pattern;
            return false;
        }
        path_ = buf.data();
        return true;
    }
    ~PrivateFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

int Fail(const std::string& line) {
    std::fprintf(stderr, "pivra-make: %s\n", line.c_str());
    return 1;
}

bool CheckOutput(const std::string& output, std::string& why) {
    std::error_code ec;
    if (fs::is_directory(output, ec)) {
        why = "it is a folder";
        return false;
    }
    const fs::path folder = fs::path(output).parent_path();
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

}  // namespace

int RunPivraMake(const MakeOptions& o, std::ostream& trace) {
    const std::string head = AbsolutePath(o.head), tail = AbsolutePath(o.tail);
    const std::string output = AbsolutePath(o.output);
    std::string why;
    if (!CheckPictureFile(head, why)) return Fail("cannot use the head picture " + head + ": " + why);
    if (!CheckPictureFile(tail, why)) return Fail("cannot use the tail picture " + tail + ": " + why);
    if (!CheckOutput(output, why)) return Fail("cannot write " + output + ": " + why);

    PrivateFolder privateFolder;
    std::string folder;
    if (o.workdir.empty()) {
        if (!privateFolder.make(why)) return Fail(why);
        folder = privateFolder.path();
    } else {
        folder = AbsolutePath(o.workdir);
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (!fs::is_directory(folder, ec)) return Fail("cannot use the working folder " + folder);
    }

    PivraState state;
    state.AppStr = folder + (folder.back() == '/' ? "" : "/");
    FileSystem fso;
    const AppFolders installed = LocateAppFolders();
    for (const TemplateFile& t : kTemplates) {
        if (fso.FileExists(state.AppStr + t.source)) continue;
        if (!fso.CopyFile(installed.installFiles + t.source, state.AppStr + t.source))
            return Fail("installation file missing: " + fso.lastError());
    }
    if (!fso.FolderExists(state.AppStr + "Work") && !fso.CreateFolder(state.AppStr + "Work"))
        return Fail(fso.lastError());

    CollectingNotifier notifier;
    ScopedNotifier notifierScope(notifier);
    state.i_size = static_cast<int16_t>(12 * o.scale);
    state.SpinStep = static_cast<int16_t>(o.scale);
    state.SpinPos = 0;
    state.ShowHead = true;
    state.HeadFile = head;
    state.TailFile = tail;
    state.BuildRequested = true;

    ImageCommands commands(state.i_size, fso, ImageLibraryFiles{installed.libraries});
    if (o.trace) commands.setTrace(&trace);
    MakeWorkingTemplates(commands, state, state.AppStr);
    if (!notifier.messages.empty()) return Fail(notifier.messages.front());

    ConsoleControls controls(!o.quiet && ::isatty(STDERR_FILENO));
    SpinBuilder builder(state, fso, commands, controls);
    const BuildResult result = builder.BuildSpin();
    controls.endBar();
    if (result == BuildResult::Failed || !notifier.messages.empty())
        return Fail(notifier.messages.empty() ? "the build failed" : notifier.messages.front());
    if (commands.missingOutputs() > 0) return Fail(DescribeMissing(commands.firstMissingOutput(), state.AppStr));
    const std::string animation = state.AppStr + "Work/pivra.gif";
    if (!fso.FileExists(animation)) return Fail("the build produced no animation");
    if (!fso.CopyFile(animation, output)) return Fail(fso.lastError());
    return 0;
}

}  // namespace pivra
