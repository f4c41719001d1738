// Configured without the window (-DPIVRA_GUI=OFF), the project installs, and
// so packages, nothing that belongs to the window: CMake's file API lists
// every install rule of that configuration.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <fstream>
#include <set>

#include "support/RunProcess.h"
#include "support/TempFolder.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

QJsonObject ReadJson(const fs::path& file) {
    QFile f(QString::fromStdString(file.string()));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

// "destination/file name" for every file and target the install rules copy.
std::set<std::string> InstalledFiles(const fs::path& build) {
    const fs::path reply = build / ".cmake/api/v1/reply";
    fs::path index;
    for (const auto& e : fs::directory_iterator(reply))
        if (e.path().filename().string().rfind("index-", 0) == 0) index = e.path();
    const QString codemodelFile =
        ReadJson(index)["reply"].toObject()["codemodel-v2"].toObject()["jsonFile"].toString();
    const QJsonObject codemodel = ReadJson(reply / codemodelFile.toStdString());
    const QJsonObject configuration = codemodel["configurations"].toArray().at(0).toObject();
    std::set<std::string> out;
    for (const QJsonValue dir : configuration["directories"].toArray()) {
        const QJsonObject object = ReadJson(reply / dir.toObject()["jsonFile"].toString().toStdString());
        for (const QJsonValue value : object["installers"].toArray()) {
            const QJsonObject installer = value.toObject();
            const std::string destination = installer["destination"].toString().toStdString() + "/";
            if (installer["type"] == "target") {
                const QString id = installer["targetId"].toString();
                out.insert(destination + id.left(id.indexOf("::")).toStdString());
                continue;
            }
            for (const QJsonValue path : installer["paths"].toArray()) {
                const QString from = path.isObject() ? path.toObject()["to"].toString() : path.toString();
                out.insert(destination + fs::path(from.toStdString()).filename().string());
            }
        }
    }
    return out;
}

TEST(WindowlessInstall, LeavesOutTheWindowsFiles) {
    TempFolder build("windowless");
    fs::create_directories(build / ".cmake/api/v1/query");
    std::ofstream(build / ".cmake/api/v1/query/codemodel-v2").close();
    const ProcessResult configured = RunProcess({CMAKE_COMMAND, "-S", PIVRA_SOURCE_DIR, "-B", build.str(),
                                                 "-DPIVRA_GUI=OFF", "-DPIVRA_BENCHMARKS=OFF"});
    ASSERT_EQ(configured.exitCode, 0) << configured.out << configured.err;

    const std::set<std::string> files = InstalledFiles(build.str());
    std::string listing;
    for (const std::string& f : files) listing += f + "\n";
    EXPECT_EQ(files.count("bin/pivra-make"), 1u) << listing;
    EXPECT_EQ(files.count("share/man/man1/pivra-make.1.gz"), 1u) << listing;
    for (const std::string& f : files) {
        EXPECT_NE(f, "bin/pivra");
        EXPECT_NE(f, "share/man/man1/pivra.1.gz");
        for (const char* windowOnly : {"share/applications/", "share/icons/", "share/metainfo/"})
            EXPECT_NE(f.rfind(windowOnly, 0), 0u) << f;
    }
}

}  // namespace
}  // namespace pivra::test
