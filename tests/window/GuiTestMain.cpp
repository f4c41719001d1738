// The GUI tests run on Qt's offscreen platform, so they need no display, and
// keep their settings (the dialogs' last folders) in a folder of their own,
// never in the user's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string config = (std::filesystem::temp_directory_path() / "pivra-gui-config-XXXXXX").string();
    if (!mkdtemp(config.data())) return 1;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config));
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::error_code ec;
    std::filesystem::remove_all(config, ec);
    return result;
}
