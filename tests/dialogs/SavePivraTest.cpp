// Saving the finished animation: the dialog's set-up, cancel, overwrite, the
// name as typed, no animation yet, and failed copies that damage nothing.
// The copy's own refusals (folders, links, devices) are tested with pivra-make's output.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "builder/BuiltFaces.h"
#include "dialogs/SavePivra.h"
#include "platform/FileSystem.h"
#include "support/FileContents.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Answers the save dialog with one name, remembering how it was set up.
struct AnsweringDialog : SaveDialog {
    explicit AnsweringDialog(std::string a) : answer(std::move(a)) {}
    std::string AskSaveFileName(SaveDialogRequest& r) override {
        requests.push_back(r);
        if (chosenEntry) r.filterIndex = chosenEntry;
        return answer;
    }
    int16_t chosenEntry = 0;  // the entry the user leaves selected; 0: the one it opened on
    std::string answer;
    std::vector<SaveDialogRequest> requests;
};

class Saving : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(work / "Work");
        Write(animation, animationBytes);
    }
    SaveOutcome save(AnsweringDialog& dialog) { return SaveBtn_Click(dialog, fso, work.str() + "/"); }
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

TEST_F(Saving, DialogOpensOnTheGifEntryWithAnEmptyNameAndCancelOrNoAnimationCopiesNothing) {
    AnsweringDialog dialog("");
    EXPECT_EQ(save(dialog), SaveOutcome::Cancelled);
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].fileName, "");
    EXPECT_EQ(dialog.requests[0].filterIndex, 2);
    EXPECT_TRUE(notifier.shown.empty());
    // With no animation yet the user is told, and asked nothing.
    fs::remove(animation);
    AnsweringDialog named(target / "spin.gif");
    EXPECT_EQ(save(named), SaveOutcome::NoAnimation);
    EXPECT_TRUE(named.requests.empty());
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_NE(notifier.shown[0].prompt.find("no Pivra to save"), std::string::npos);
    EXPECT_TRUE(names().empty());
}

TEST_F(Saving, CopiesByteForByteUnderTheNameAsGiven) {
    Write(target / "old.gif", "an older file, longer than nothing at all");
    for (const std::string& name : {target / "spin", target / "old.gif", target / "spin.GIF.txt"}) {
        AnsweringDialog dialog(name);
        EXPECT_EQ(save(dialog), SaveOutcome::Saved) << name;
        EXPECT_EQ(FileContents(name), animationBytes) << name;
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"old.gif", "spin", "spin.GIF.txt"}));
    EXPECT_TRUE(notifier.shown.empty());
}

// The WebP and PNG entries render the faces the last build kept; without
// them the user is told to build again and nothing is written.
TEST_F(Saving, AnimatedEntriesRenderTheKeptFacesOrSayTheyAreNotKept) {
    Write(target / "spin.webp", "the user's own");
    AnsweringDialog webp(target / "spin.webp");
    webp.chosenEntry = kWebpFilterIndex;
    EXPECT_EQ(save(webp), SaveOutcome::Failed);
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_NE(notifier.shown[0].prompt.find("not kept"), std::string::npos) << notifier.shown[0].prompt;
    EXPECT_EQ(FileContents(target / "spin.webp"), "the user's own");
    keepFaces();
    EXPECT_EQ(save(webp), SaveOutcome::Saved);
    AnsweringDialog apng(target / "spin");
    apng.chosenEntry = kApngFilterIndex;
    EXPECT_EQ(save(apng), SaveOutcome::Saved);
    const std::string webpBytes = FileContents(target / "spin.webp"), apngBytes = FileContents(target / "spin");
    EXPECT_EQ(webpBytes.substr(0, 4) + webpBytes.substr(8, 4), "RIFFWEBP");
    EXPECT_EQ(apngBytes.substr(1, 3) + apngBytes.substr(37, 4), "PNGacTL") << "the animation control after IHDR";
    EXPECT_EQ(names(), (std::vector<std::string>{"spin", "spin.webp"}));
}

TEST_F(Saving, FailedCopiesNameTheReasonAndKeepTheOldFile) {
    const std::string old = "the user's own older picture";
    Write(target / "kept.gif", old);
    keepFaces();
    // The plain copy (the dialog's own entry) and the WebP rendering alike.
    const auto expectFailed = [&](const std::string& name) {
        for (const int16_t entry : {int16_t{0}, kWebpFilterIndex}) {
            SCOPED_TRACE("entry " + std::to_string(entry));
            notifier.shown.clear();
            AnsweringDialog dialog(name);
            dialog.chosenEntry = entry;
            EXPECT_EQ(save(dialog), SaveOutcome::Failed) << name;
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

}  // namespace
}  // namespace pivra::test
