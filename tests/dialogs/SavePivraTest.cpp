// Saving the finished animation: the dialog's set-up, cancel, overwrite, the
// name as typed, no animation yet, and failed copies that damage nothing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "dialogs/SavePivra.h"
#include "platform/FileSystem.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "support/FileContents.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Answers the save dialog as the test says, remembering how it was set up.
struct AnsweringDialog : SaveDialog {
    explicit AnsweringDialog(std::string a) : answer(std::move(a)) {}
    std::string AskSaveFileName(const SaveDialogRequest& r) override {
        requests.push_back(r);
        return answer;
    }
    std::string answer;
    std::vector<SaveDialogRequest> requests;
};

class Saving : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(work / "Work");
        Write(animation(), animationBytes);
    }
    std::string animation() const { return work / "Work/pivra.gif"; }
    SaveOutcome save(AnsweringDialog& dialog) { return SaveBtn_Click(dialog, fso, work.str() + "/"); }
    // Every name in the target folder, to see that no temporary file stays.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(target.str())) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    const std::string animationBytes = std::string("GIF89a") + std::string(3000, '\x5a') + ";";
    TempFolder work{"save-work"};
    TempFolder target{"save-target"};
    FileSystem fso;
    RecordingNotifier notifier;
};

TEST_F(Saving, DialogOpensOnTheGifEntryWithAnEmptyNameAndCancelCopiesNothing) {
    AnsweringDialog dialog("");
    EXPECT_EQ(save(dialog), SaveOutcome::Cancelled);
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].fileName, "");
    EXPECT_EQ(dialog.requests[0].filter, "All Files (*.*)|*.*|GIF Files (*.gif)|*.gif");
    EXPECT_EQ(dialog.requests[0].filterIndex, 2);
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_TRUE(names().empty());
}

TEST_F(Saving, CopiesByteForByteUnderTheNameAsGiven) {
    Write(target / "old.gif", "an older file, longer than nothing at all");
    for (const std::string& name : {target / "spin", target / "spin.gif", target / "old.gif", target / "spin.GIF.txt", target / "spin"}) {
        SCOPED_TRACE(name);
        AnsweringDialog dialog(name);
        EXPECT_EQ(save(dialog), SaveOutcome::Saved);
        EXPECT_EQ(FileContents(name), animationBytes);
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"old.gif", "spin", "spin.GIF.txt", "spin.gif"}));
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(Saving, NoAnimationYetTellsTheUserAndAsksNothing) {
    fs::remove(animation());
    AnsweringDialog dialog(target / "spin.gif");
    EXPECT_EQ(save(dialog), SaveOutcome::NoAnimation);
    EXPECT_TRUE(dialog.requests.empty());
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_NE(notifier.shown[0].prompt.find("no Pivra to save"), std::string::npos);
    EXPECT_EQ(notifier.shown[0].title, "PIVRA");
    EXPECT_FALSE(fs::exists(target / "spin.gif"));
}

TEST_F(Saving, FailedCopiesNameTheReasonAndKeepTheOldFile) {
    const std::string old = "the user's own older picture";
    fs::create_directories(target / "folder.gif");
    fs::create_directories(target / "locked");
    Write(target / "kept.gif", old);
    Write(target / "locked/kept.gif", old);
    enum How { Plain, FullDisk, ReadOnly };
    struct Case { const char* what; std::string name; const char* reason; How how; };
    const Case cases[] = {
        {"a name that is a folder", target / "folder.gif", "folder.gif", Plain},
        {"a folder that does not exist", target / "missing/spin.gif", "missing/spin.gif", Plain},
        {"a full disk", target / "kept.gif", "kept.gif", FullDisk},
        {"a read-only folder", target / "locked/kept.gif", "locked/kept.gif", ReadOnly},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.how == ReadOnly && ::geteuid() == 0) continue;  // root writes into read-only folders
        notifier.shown.clear();
        const auto before = names();
        AnsweringDialog dialog(c.name);
        // A full disk: every file written past 100 bytes fails, for root too.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        if (c.how == FullDisk) limit.rlim_cur = 100;
        auto* previous = signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        if (c.how == ReadOnly) fs::permissions(target / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        const SaveOutcome outcome = save(dialog);
        fs::permissions(target / "locked", fs::perms::owner_all);
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, previous);
        EXPECT_EQ(outcome, SaveOutcome::Failed);
        ASSERT_EQ(notifier.shown.size(), 1u);
        EXPECT_NE(notifier.shown[0].prompt.find("could not be saved"), std::string::npos) << notifier.shown[0].prompt;
        EXPECT_NE(notifier.shown[0].prompt.find(c.reason), std::string::npos) << notifier.shown[0].prompt;
        EXPECT_EQ(names(), before) << "a temporary file was left behind";
    }
    EXPECT_EQ(FileContents(target / "kept.gif"), old);
    EXPECT_EQ(FileContents(target / "locked/kept.gif"), old);
    EXPECT_TRUE(fs::is_directory(target / "folder.gif"));
    EXPECT_EQ(FileContents(animation()), animationBytes);
}

}  // namespace
}  // namespace pivra::test
