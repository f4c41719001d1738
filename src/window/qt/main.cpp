// pivra: the window that makes a spinning-coin GIF from two pictures.
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "PivraVersion.h"

#include "platform/AppFolders.h"
#include "platform/PictureMemory.h"
#include "window/LaunchCheck.h"
#include "window/qt/Form1Window.h"
#include "window/qt/QtNotifier.h"

namespace {

void PrintHelp() {
    std::fputs(pivra::kPivraUsage, stdout);
    const pivra::AppFolders folders = pivra::LocateAppFolders();
    std::printf("\nFolders:\n"
                "  installation files  %s\n"
                "  image libraries     %s\n"
                "  working folder      %s (Work/pivra.gif is the last animation)\n"
                "  another window      %s%s2/ while the first is open (then %s3/ and so on)\n",
                folders.installFiles.c_str(), folders.libraries.c_str(), folders.workRoot.c_str(),
                folders.workRoot.c_str(), pivra::kOtherWindowFolder, pivra::kOtherWindowFolder);
}

// --help or --version answered; nothing otherwise.
std::optional<int> Answer(const pivra::PivraArgs& args) {
    if (args.help) PrintHelp();
    else if (args.version) std::puts("pivra " PIVRA_VERSION_STRING);
    else return std::nullopt;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    pivra::KeepPictureBuffersForReuse();
    const char* const display = std::getenv("DISPLAY");
    const char* const wayland = std::getenv("WAYLAND_DISPLAY");
    const char* const platform = std::getenv("QT_QPA_PLATFORM");
    // --help and --version work without a display too.
    const pivra::Launch plain = pivra::CheckLaunch(std::vector<std::string>(argv + 1, argv + argc));
    if (plain.problem.empty())
        if (const std::optional<int> done = Answer(plain.args)) return *done;
    if (!pivra::HasDisplay(display, wayland, platform)) {
        if (!plain.problem.empty()) {
            pivra::TellLaunchProblem(plain.problem, false);
            return 2;
        }
        std::fputs("pivra: no display to show the window on; build from the command line with pivra-make\n", stderr);
        return 1;
    }

    // Qt takes its own options (-style, -platform, -geometry...) out of argv.
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(PIVRA_APP_ID));
    pivra::QtNotifier notifier;
    pivra::ScopedNotifier scope(notifier);
    const pivra::Launch launch = pivra::CheckLaunch(std::vector<std::string>(argv + 1, argv + argc));
    if (!launch.problem.empty()) {
        pivra::TellLaunchProblem(launch.problem, pivra::CanShowMessageBox(display, wayland, platform));
        return 2;
    }
    if (const std::optional<int> done = Answer(launch.args)) return *done;

    pivra::Form1Window window(pivra::DefaultFormFolders());
    notifier.setParent(&window);
    window.form().Form_Load();
    if (!window.form().hasWorkingFolder()) return 1;
    if (launch.args.scale != pivra::Form1::kStartScale)
        window.form().ScalePivra(static_cast<int16_t>(launch.args.scale));
    window.show();
    // Once the window is up, so that what it says about the pictures (one
    // missing, some left) shows over it.
    const std::vector<std::string> pictures = pivra::LaunchPictures(launch.args);
    QTimer::singleShot(0, &window, [&window, pictures] { window.form().OpenPictures(pictures); });
    return app.exec();
}
