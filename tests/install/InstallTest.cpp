// The installed window: cmake --install into a temporary prefix, moved
// elsewhere (a prefix is relocatable) and made read-only, then started as a user would.
#include <gtest/gtest.h>

#include <QImageReader>

#include <csignal>
#include <filesystem>
#include <map>
#include <thread>

#include "support/ChildProcess.h"
#include "support/DeepFolder.h"
#include "support/RunProcess.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

void SetWritable(const fs::path& root, bool writable) {
    const fs::perms bits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    const auto how = writable ? fs::perm_options::add : fs::perm_options::remove;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(root, ec))
        if (!e.is_symlink()) fs::permissions(e.path(), writable ? fs::perms::owner_write : bits, how, ec);
    fs::permissions(root, writable ? fs::perms::owner_write : bits, how, ec);
}

// Every path under root with its size (folders as -1), to see that nothing changed.
std::map<std::string, std::intmax_t> Listing(const fs::path& root) {
    std::map<std::string, std::intmax_t> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        out[e.path().string()] = e.is_regular_file() ? static_cast<std::intmax_t>(e.file_size()) : -1;
    return out;
}

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        stage_ = new TempFolder("install");
        const ProcessResult r =
            RunProcess({CMAKE_COMMAND, "--install", PIVRA_BUILD_DIR, "--prefix", *stage_ / "first"});
        installError_ = r.exitCode == 0 ? "" : r.out + r.err;
        fs::rename(*stage_ / "first", *stage_ / "moved");
        SetWritable(*stage_ / "moved", false);
    }
    static void TearDownTestSuite() {
        SetWritable(*stage_ / "moved", true);
        delete stage_;
    }
    void SetUp() override { ASSERT_EQ(installError_, ""); }

    static std::string prefix(const std::string& rel = "") { return *stage_ / ("moved/" + rel); }

    static TempFolder* stage_;
    static std::string installError_;
    TempFolder user{"install-user"};
};
TempFolder* Installed::stage_ = nullptr;
std::string Installed::installError_;

// The window from the prefix makes its working folder in the user's data
// folder, an ordinary one or one 200 bytes long: it runs until the templates
// and the working copy of the picture on its command line are there (a
// message at start would hold it up), then it is ended.
TEST_F(Installed, WindowWorksInTheUsersDataFolder) {
    if (!fs::exists(prefix("bin/pivra"))) GTEST_SKIP() << "the window is not built (PIVRA_GUI=OFF)";
    ASSERT_TRUE(WriteSolidPicture(user / "head.png", 40, 30, QColor(220, 30, 30)));
    const auto before = Listing(prefix());
    for (const std::string& data : {user / "data", DeepFolder(user / "long", 200)}) {
        SCOPED_TRACE(data);
        const std::vector<std::string> env = {"HOME=" + (user / "home"), "XDG_DATA_HOME=" + data,
                                              "QT_QPA_PLATFORM=offscreen"};
        ChildProcess window({prefix("bin/pivra"), user / "head.png"}, env);
        const std::string work = data + "/pivra/Work/";
        bool ready = false;
        for (int i = 0; i < 600 && !ready; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ready = fs::exists(work + "mask.bmp") && fs::exists(work + "mask.mif") && fs::exists(work + "white.mif") &&
                    fs::exists(work + "black.bmp") && fs::exists(work + "ImagA.jpg");
        }
        window.signal(SIGKILL);
        ASSERT_TRUE(ready) << window.finish().err;
        EXPECT_EQ(QImageReader(QString::fromStdString(work + "mask.bmp")).size(), QSize(192, 192));
        EXPECT_EQ(QImageReader(QString::fromStdString(work + "ImagA.jpg")).size(), QSize(192, 192));
    }
    EXPECT_EQ(Listing(prefix()), before) << "the window wrote into the prefix";
}

}  // namespace
}  // namespace pivra::test
