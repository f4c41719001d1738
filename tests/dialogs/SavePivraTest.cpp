// A failed save, as a plain copy or as WebP, names the reason and damages
// nothing; the WebM entry writes WebM. The copy's own refusals (folders, links, devices) are tested with
// pivra-make's output; a byte-equal copy with the real window.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "builder/BuiltFaces.h"
#include "dialogs/SavePivra.h"
#include "platform/FileSystem.h"
#include "support/AnimationReaders.h"
#include "support/FileContents.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "support/WebmReader.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Answers the save dialog with one name and, unless 0, the entry left selected.
struct AnsweringDialog : SaveDialog {
    AnsweringDialog(std::string a, int16_t entry) : answer(std::move(a)), chosenEntry(entry) {}
    std::string AskSaveFileName(SaveDialogRequest& r) override {
        if (chosenEntry) r.filterIndex = chosenEntry;
        return answer;
    }
    std::string answer;
    int16_t chosenEntry;
};

class Saving : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(work / "Work");
        Write(animation, animationBytes);
    }
    // The two faces a finished build keeps beside its animation.
    void keepFaces() {
        for (const auto& [name, colour] : {std::make_pair(kBuiltHeadFace, QColor(200, 40, 40)),
                                           std::make_pair(kBuiltTailFace, QColor(40, 40, 200))}) {
            ASSERT_TRUE(WriteSolidPicture(work / "face.png", 24, 24, colour));
            fs::rename(work / "face.png", work / name);
        }
    }
    // Every name in the target folder, to see that no temporary file stays.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(target.str())) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    const std::string animationBytes = std::string("GIF89a") + std::string(3000, '\x5a') + ";";
    TempFolder work{"save-work"}, target{"save-target"};
    const std::string animation = work / "Work/pivra.gif";
    FileSystem fso;
    RecordingNotifier notifier;
};

TEST_F(Saving, FailedCopiesNameTheReasonAndKeepTheOldFile) {
    const std::string old = "the user's own older picture";
    Write(target / "kept.gif", old);
    keepFaces();
    // The plain copy (the dialog's own entry) and the WebP rendering alike.
    const auto expectFailed = [&](const std::string& name) {
        for (const int16_t entry : {int16_t{0}, kWebpFilterIndex}) {
            SCOPED_TRACE("entry " + std::to_string(entry));
            notifier.shown.clear();
            AnsweringDialog dialog(name, entry);
            EXPECT_EQ(SaveBtn_Click(dialog, fso, work.str() + "/"), SaveOutcome::Failed) << name;
            ASSERT_EQ(notifier.shown.size(), 1u) << name;
            const std::string& prompt = notifier.shown[0].prompt;
            EXPECT_NE(prompt.find("could not be saved"), std::string::npos) << prompt;
            EXPECT_NE(prompt.find(name), std::string::npos) << prompt;
            EXPECT_EQ(names(), std::vector<std::string>{"kept.gif"}) << "a temporary file was left behind";
        }
    };
    expectFailed(target / "missing/spin.gif");
    // A full disk: every file written past 100 bytes fails, for root too.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 100;
    auto* previous = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    expectFailed(target / "kept.gif");
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    if (::geteuid() != 0) {  // root writes into read-only folders
        fs::permissions(target.str(), fs::perms::owner_read | fs::perms::owner_exec);
        expectFailed(target / "kept.gif");
        fs::permissions(target.str(), fs::perms::owner_all);
    }
    EXPECT_EQ(FileContents(target / "kept.gif"), old);
    EXPECT_EQ(FileContents(animation), animationBytes);
}

// A typed .gif, .webp, .png or .webm ending picks what is written, whatever
// entry is left selected; a name with no known ending takes the entry's kind
// and is kept exactly as typed.
TEST_F(Saving, TheTypedEndingPicksTheKindElseTheEntryDoes) {
    keepFaces();
    enum Kind { Gif, Webp, Apng, Webm };
    struct Case { int16_t entry; const char* name; Kind kind; };
    const Case cases[] = {{kSaveFilterIndex, "a.webp", Webp}, {kApngFilterIndex, "e.gif", Gif},
                          {1, "all.webp", Webp},              {kWebpFilterIndex, "b.PNG", Apng},
                          {kWebpFilterIndex, "spin", Webp},   {kApngFilterIndex, "spin.apng", Apng},
                          {1, "plain", Gif},                  {kSaveFilterIndex, "c.webm", Webm},
                          {kWebmFilterIndex, "spin", Webm}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = target / c.name;
        AnsweringDialog dialog(path, c.entry);
        ASSERT_EQ(SaveBtn_Click(dialog, fso, work.str() + "/"), SaveOutcome::Saved);
        if (c.kind == Gif) {
            EXPECT_EQ(FileContents(path), animationBytes);
        }
        EXPECT_EQ(ReadWebpAnimation(path).ok, c.kind == Webp);
        EXPECT_EQ(ReadApng(path).ok, c.kind == Apng);
        const WebmAnimation webm = ReadWebm(path);
        EXPECT_EQ(webm.ok, c.kind == Webm);
        if (c.kind == Webm) {
            EXPECT_EQ(std::make_tuple(webm.width, webm.frames.size(), webm.alphaMode), std::make_tuple(24, size_t{50}, 1u));
        }
        fs::remove(path);
    }
    EXPECT_TRUE(notifier.shown.empty());
}

}  // namespace
}  // namespace pivra::test
