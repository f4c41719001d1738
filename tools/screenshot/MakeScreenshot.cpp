// Captures the main window for the README, on Qt's offscreen platform: the
// sample pictures chosen, one animation built, the preview turning.
//   pivra-screenshot BINDIR OUTPUT.png
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <filesystem>

#include "window/qt/Form1Window.h"

namespace {

// Runs the event loop for ms milliseconds, or until done() says so.
template <class Done>
bool RunFor(int ms, Done done) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (done()) return true;
        QThread::msleep(5);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pivra-screenshot BINDIR OUTPUT.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string bin = std::string(argv[1]) + "/";
    QTemporaryDir work;
    if (!work.isValid()) return 1;
    pivra::Form1Window window(pivra::FormFolders{work.path().toStdString(), bin, bin});
    window.form().Form_Load();
    window.form().ChooseHead(bin + "sample_head.jpg");
    window.form().ChooseTail(bin + "sample_tail.jpg");
    window.show();

    const std::string animation = work.path().toStdString() + "/Work/pivra.gif";
    window.form().CreateBtn_Click();
    const bool built = RunFor(120000, [&] {
        return !window.form().state().BuildRequested && !window.form().building() &&
               std::filesystem::exists(animation);
    });
    if (!built) {
        std::fprintf(stderr, "pivra-screenshot: the build did not finish\n");
        return 1;
    }
    RunFor(1100, [] { return false; });  // the preview turns on a little
    if (!window.grab().toImage().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "pivra-screenshot: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
