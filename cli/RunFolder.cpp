#include "RunFolder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "builder/WorkingFolders.h"
#include "builder/WorkingTemplates.h"
#include "imagecmd/ShortPaths.h"
#include "platform/AppFolders.h"
#include "platform/FileSystem.h"

namespace fs = std::filesystem;

namespace pivra {
namespace {

bool SameBytes(const std::string& a, const std::string& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    return x && y && std::equal(std::istreambuf_iterator<char>(x), std::istreambuf_iterator<char>(),
                                std::istreambuf_iterator<char>(y), std::istreambuf_iterator<char>());
}

}  // namespace

bool RunFolder::prepare(const std::string& workdir, FileSystem& fso, std::string& error) {
    std::string folder;
    if (workdir.empty()) {
        RemoveAbandonedFolders(TemporaryRoot());
        if (!private_.make(error)) return false;
        folder = private_.path();
    } else {
        folder = AbsolutePath(workdir);
        if (!useWorkdir(folder, error)) return false;
    }
    appStr_ = folder + (folder.back() == '/' ? "" : "/");
    RemoveStaleLinkFolders(appStr_);
    if (!copyInstallationFiles(fso, error)) return false;
    const std::string work = appStr_ + "Work";
    if (!fso.FolderExists(work) && !fso.CreateFolder(work)) {
        error = "cannot use the working folder " + folder + ": " + fso.lastError();
        return false;
    }
    return true;
}

bool RunFolder::useWorkdir(const std::string& folder, std::string& error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec)) {
        error = "cannot make the working folder " + folder + ": " + (ec ? ec.message() : "it is not a folder");
        return false;
    }
    std::string why;
    if (lock_.tryLock(folder, kWorkingFolderLock, why)) return true;
    error = why == "in use" ? "the working folder " + folder + " is in use by another build; try again when it is done"
                            : "cannot lock the working folder " + folder + ": " + why;
    return false;
}

bool RunFolder::copyInstallationFiles(FileSystem& fso, std::string& error) {
    const std::string installed = LocateAppFolders().installFiles;
    for (const TemplateFile& t : kTemplates) {
        if (!fso.FileExists(installed + t.source)) {
            error = "installation file missing: " + installed + t.source;
            return false;
        }
        if (fso.FileExists(appStr_ + t.source)) {
            // The run's templates are the ones shipped; one of another make
            // (an older version's, or the user's own) is not ours to replace.
            if (SameBytes(appStr_ + t.source, installed + t.source)) continue;
            error = "the working folder " + appStr_ + " holds a " + t.source +
                    " that is not the one PIVRA ships; move it away and try again";
            return false;
        }
        if (!fso.CopyFile(installed + t.source, appStr_ + t.source)) {
            error = "cannot write into the working folder " + appStr_ + ": " + fso.lastError();
            return false;
        }
    }
    return true;
}

}  // namespace pivra
