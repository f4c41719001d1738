// Folder and file operations that fail must stop the build cleanly, tell the
// user what and where, and lose nothing that existed before.
#include <fstream>

#include "RecordingControls.h"
#include "builder/SpinBuilder.h"
#include "imagecmd/FakeLibFixture.h"

namespace pivra::test {
namespace {

// Fails to delete one path, as when a file in it is held open.
class StubbornFileSystem : public FileSystem {
public:
    std::string stuck;
    bool DeleteFolder(const std::string& path) override {
        return path == stuck ? fail("Cannot remove folder", path, "Device or resource busy")
                             : FileSystem::DeleteFolder(path);
    }
    bool DeleteFile(const std::string& path) override {
        return path == stuck ? fail("Cannot delete file", path, "Permission denied") : FileSystem::DeleteFile(path);
    }
};

class BuildFailure : public FakeLibFixture {
protected:
    void SetUp() override {
        FakeLibFixture::SetUp();
        state.AppStr = folder.str() + "/";
        std::filesystem::create_directories(at("Work"));
        std::ofstream(at("Work/pivra.gif")) << "previous animation";
        state.HeadFile = "/pics/head.jpg";
        state.TailFile = "/pics/tail.jpg";
        state.BuildRequested = true;
    }
    std::string at(const std::string& rel) const { return state.AppStr + rel; }
    // The build must end as `result` having told the user once about `named`.
    void buildExpecting(BuildResult result, const std::string& named) {
        EXPECT_EQ(builder.BuildSpin(), result);
        EXPECT_FALSE(state.BuildRequested);
        EXPECT_EQ(controls.captions.back(), "CREATE PIVRA");
        EXPECT_EQ(controls.progress(), 0);
        ASSERT_EQ(notifier.shown.size(), 1u);
        EXPECT_NE(notifier.shown[0].prompt.find(named), std::string::npos) << notifier.shown[0].prompt;
        EXPECT_EQ(notifier.shown[0].title, "PIVRA");
    }

    PivraState state;
    RecordingControls controls;
    StubbornFileSystem stubborn;
    ImageCommands stubbornCommands{i_size, stubborn,
                                   ImageLibraryFiles{FAKE_LIB_DIR, "libFakeImageLib.so", "libFakeImageLib.so"}};
    SpinBuilder builder{state, stubborn, stubbornCommands, controls};
};

TEST_F(BuildFailure, LeftoverFolderThatCannotBeRemoved) {
    std::filesystem::create_directories(at("Masks"));
    std::ofstream(at("Masks/.pivra-made")).close();
    std::ofstream(at("Masks/held.gif")) << "open elsewhere";
    stubborn.stuck = at("Masks");
    buildExpecting(BuildResult::Failed, at("Masks"));
    EXPECT_EQ(calls(), 0);
    EXPECT_TRUE(std::filesystem::exists(at("Masks/held.gif")));
    EXPECT_TRUE(std::filesystem::exists(at("Work/pivra.gif")));  // the last animation is kept
}

TEST_F(BuildFailure, FoldersWithoutTheBuildsMarkAreSomeoneElses) {
    for (const char* name : {"Images", "Masks"}) {
        SCOPED_TRACE(name);
        notifier.shown.clear();
        std::filesystem::create_directories(at(name));
        std::ofstream(at(std::string(name) + "/holiday.jpg")) << "the user's own";
        buildExpecting(BuildResult::Failed, at(name));
        EXPECT_NE(notifier.shown[0].prompt.find("not made by PIVRA"), std::string::npos);
        EXPECT_EQ(calls(), 0);
        EXPECT_TRUE(std::filesystem::exists(at(std::string(name) + "/holiday.jpg")));
        std::filesystem::remove_all(at(name));
    }
}

TEST_F(BuildFailure, AFolderSwappedDuringTheBuildIsLeftAtTheEnd) {
    controls.onYield = [&] {
        if (controls.yields != 62) return;
        std::filesystem::remove_all(at("Masks"));
        std::filesystem::create_directories(at("Masks"));
        std::ofstream(at("Masks/notes.txt")) << "made meanwhile";
    };
    buildExpecting(BuildResult::Finished, at("Masks"));
    EXPECT_TRUE(std::filesystem::exists(at("Masks/notes.txt")));
    EXPECT_FALSE(std::filesystem::exists(at("Images")));
}

TEST_F(BuildFailure, AFileWhereTheFramesFolderBelongs) {
    std::ofstream(at("Images")) << "not a folder";
    buildExpecting(BuildResult::Failed, at("Images"));
    EXPECT_EQ(calls(), 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(at("Images")));
}

TEST_F(BuildFailure, OldAnimationThatCannotBeDeleted) {
    stubborn.stuck = at("Work/pivra.gif");
    buildExpecting(BuildResult::Failed, at("Work/pivra.gif"));
    EXPECT_EQ(calls(), 136);  // everything but the assembly
    EXPECT_TRUE(std::filesystem::exists(at("Work/pivra.gif")));
}

TEST_F(BuildFailure, WorkingFolderLeftBehindAtTheEndIsOnlyReported) {
    stubborn.stuck = at("Images");
    buildExpecting(BuildResult::Finished, at("Images"));
    EXPECT_TRUE(std::filesystem::exists(at("Work/pivra.gif")));
    EXPECT_FALSE(std::filesystem::exists(at("Masks")));
}

}  // namespace
}  // namespace pivra::test
