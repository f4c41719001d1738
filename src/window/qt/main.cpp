// pivra: the window that makes a spinning-coin GIF from two pictures.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "PivraVersion.h"

#include "platform/FileSystem.h"
#include "platform/AppFolders.h"
#include "platform/PictureMemory.h"
#include "window/LaunchCheck.h"
#include "window/qt/Form1Window.h"
#include "window/qt/QtNotifier.h"

int main(int argc, char** argv) {
    pivra::KeepPictureBuffersForReuse();
    const pivra::Launch launch = pivra::CheckLaunch(std::vector<std::string>(argv + 1, argv + argc));
    if (!launch.problem.empty()) {
        const bool box = pivra::CanShowMessageBox(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                                                  std::getenv("QT_QPA_PLATFORM"));
        std::optional<QApplication> app;
        pivra::QtNotifier notifier;
        std::optional<pivra::ScopedNotifier> scope;
        pivra::TellLaunchProblem(launch.problem, box, [&] { app.emplace(argc, argv), scope.emplace(notifier); });
        return 2;
    }
    const pivra::PivraArgs* args = &launch.args;
    if (args->help) {
        std::fputs(pivra::kPivraUsage, stdout);
        const pivra::AppFolders folders = pivra::LocateAppFolders();
        std::printf("\nFolders:\n"
                    "  installation files  %s\n"
                    "  image libraries     %s\n"
                    "  working folder      %s (Work/pivra.gif is the last animation)\n"
                    "  another window      %s%s2/ while the first is open (then %s3/ and so on)\n",
                    folders.installFiles.c_str(), folders.libraries.c_str(), folders.workRoot.c_str(),
                    folders.workRoot.c_str(), pivra::kOtherWindowFolder, pivra::kOtherWindowFolder);
        return 0;
    }
    if (args->version) {
        std::puts("pivra " PIVRA_VERSION_STRING);
        return 0;
    }
    if (!pivra::HasDisplay(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM"))) {
        std::fputs("pivra: no display to show the window on; build from the command line with pivra-make\n", stderr);
        return 1;
    }

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(PIVRA_APP_ID));
    pivra::QtNotifier notifier;
    pivra::ScopedNotifier scope(notifier);
    pivra::Form1Window window(pivra::DefaultFormFolders());
    notifier.setParent(&window);
    window.form().Form_Load();
    if (!window.form().hasWorkingFolder()) return 1;
    if (args->scale != pivra::Form1::kStartScale) window.form().ScalePivra(static_cast<int16_t>(args->scale));
    if (!args->head.empty()) window.form().ChooseHead(args->head);
    if (!args->tail.empty()) window.form().ChooseTail(args->tail);
    window.show();
    return app.exec();
}
