// The window's costs on Qt's offscreen platform, with the real image
// libraries: one preview tick, a scale change, and the longest stall of the
// event loop while a build runs from the window.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/MessageBox.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "window/qt/Form1Window.h"
#include "window/qt/PaneWidget.h"

namespace pivra {
namespace {

class Quiet : public Notifier {
public:
    void show(const std::string&, int, const std::string&) override {}
};

// A shown window in a fresh folder with both pictures chosen at this scale.
struct Bench {
    explicit Bench(int16_t scale) {
        test::WriteSolidPicture(app / "head.png", 640, 480, QColor(220, 30, 30));
        test::WriteSolidPicture(app / "tail.jpg", 480, 640, QColor(30, 60, 220));
        window = std::make_unique<Form1Window>(FormFolders{app.str(), PIVRA_BIN_DIR});
        window->form().Form_Load();
        window->form().ScalePivra(scale);
        window->form().ChooseHead(app / "head.png");
        window->form().ChooseTail(app / "tail.jpg");
        window->show();
        QCoreApplication::processEvents();
    }
    test::TempFolder app{"bench-window"};
    std::unique_ptr<Form1Window> window;
};

void BM_PreviewTick(benchmark::State& state) {
    Bench b(static_cast<int16_t>(state.range(0)));
    b.window->timer().stop();
    PaneWidget* preview = b.window->pane(Pane::Picture3);
    for (auto _ : state) {
        b.window->form().Timer1_Timer();
        preview->repaint();
    }
    b.window->timer().stop();
}
BENCHMARK(BM_PreviewTick)->Arg(50)->Unit(benchmark::kMicrosecond);

// One preview tick in the coin look at this scale, repaint included:
// range(1) 0 while its frames are still being prepared (the flat look turns
// in their place), 1 once they are. longest_tick_ms: the slowest tick.
// PIVRA_BENCH_HEAD and PIVRA_BENCH_TAIL name photos to use instead of the
// drawn pictures.
void BM_CoinPreviewTick(benchmark::State& state) {
    Bench b(static_cast<int16_t>(state.range(0)));
    const QString head = qEnvironmentVariable("PIVRA_BENCH_HEAD"), tail = qEnvironmentVariable("PIVRA_BENCH_TAIL");
    if (!head.isEmpty() && !tail.isEmpty()) {
        b.window->form().ChooseHead(head.toStdString());
        b.window->form().ChooseTail(tail.toStdString());
    }
    b.window->timer().stop();
    b.window->form().mnu_Look_Click(LookKind::Coin);
    QElapsedTimer preparing;
    preparing.start();
    if (state.range(1) == 1) {
        while (!b.window->form().coinPreviewReady()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.counters["ready_after_ms"] = static_cast<double>(preparing.elapsed());
    }
    PaneWidget* preview = b.window->pane(Pane::Picture3);
    double longest = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        b.window->form().Timer1_Timer();
        preview->repaint();
        longest = std::max(longest, static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    b.window->timer().stop();
    state.counters["longest_tick_ms"] = longest;
    state.counters["ready"] = b.window->form().coinPreviewReady();
}
BENCHMARK(BM_CoinPreviewTick)->ArgsProduct({{4, 16, 50}, {0}})->Iterations(30)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CoinPreviewTick)->ArgsProduct({{4, 16, 50}, {1}})->Iterations(500)->Unit(benchmark::kMicrosecond);

void BM_ScalePivra(benchmark::State& state) {
    Bench b(1);
    const auto scale = static_cast<int16_t>(state.range(0));
    for (auto _ : state) b.window->form().ScalePivra(scale);
    const Form1& form = b.window->form();
    if (form.HeadDib().dib_width() != form.i_size() || form.TailDib().dib_width() != form.i_size() ||
        !b.window->timer().isActive())
        state.SkipWithError("the pictures were not imported at the new size");
}
BENCHMARK(BM_ScalePivra)->Arg(16)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// One build at this scale from the tick; a 1 ms timer notes the gaps between
// its own ticks. The progress bar's value around the longest gap tells which
// step held the loop: below 98 a strip width (seven commands), up to 147 a
// frame, 148 and over the assembly.
void BM_BuildStall(benchmark::State& state) {
    for (auto _ : state) {
        Bench b(static_cast<int16_t>(state.range(0)));
        auto* bar = static_cast<QProgressBar*>(b.window->widget(Control::ProgressBar1));
        QElapsedTimer clock;
        qint64 last = -1, longest = 0;
        int before = 0, after = 0, prevValue = 0;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (!b.window->form().building()) return;
            const qint64 now = clock.nsecsElapsed();
            if (last >= 0 && now - last > longest) {
                longest = now - last;
                before = prevValue;
                after = bar->value();
            }
            last = now;
            prevValue = bar->value();
        });
        clock.start();
        probe.start(1);
        b.window->form().CreateBtn_Click();
        while (b.window->form().state().BuildRequested || b.window->form().building())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        probe.stop();
        // The assembly ends the build without a yield after it: measure to the end.
        const qint64 tail = clock.nsecsElapsed() - last;
        if (tail > longest) {
            longest = tail;
            before = prevValue;
            after = 0;
        }
        state.counters["longest_gap_ms"] = static_cast<double>(longest) / 1e6;
        state.counters["progress_before"] = before;
        state.counters["progress_after"] = after;
    }
}
BENCHMARK(BM_BuildStall)->Arg(50)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace pivra

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pivra::Quiet quiet;
    pivra::ScopedNotifier scope(quiet);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
