// Appending to the operation log of the real main window as it grows to 100,000 lines:
// the cost of one line must not grow with the log.
#include "common/app_state.h"
#include "plans/plan_store.h"
#include "shell/main_window.h"
#include "support/fake_clock.h"
#include "support/fake_message_presenter.h"
#include "support/fake_platform.h"
#include "support/temp_data_dir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TempDataDir dir;
    FakeClock clock;
    AppState state;
    PlanStore store(clock);
    store.OpenPlanStore(dir.databasePath());
    FakeMessagePresenter messages;
    FakeHotkey hotkey;
    MainWindow window(state, store, clock, messages, hotkey);
    window.show();
    QCoreApplication::processEvents();

    std::printf("operation log of the main window (offscreen), lines as the run loop writes them\n");
    std::printf("%10s %16s %22s\n", "log lines", "us per line", "us per line + events");
    const int total = 100000;
    const int block = 1000;
    QElapsedTimer timer;
    for (int done = 0; done < total; done += block) {
        timer.start();
        for (int i = 0; i < block; ++i)
            window.appendLogText(QStringLiteral("08:%1:%2  方案%3 5000%4  成功\r\n")
                                     .arg((done + i) / 60 % 60, 2, 10, QLatin1Char('0'))
                                     .arg((done + i) % 60, 2, 10, QLatin1Char('0'))
                                     .arg(done % 97)
                                     .arg(done + i));
        const double appendUs = timer.nsecsElapsed() / 1e3 / block;
        // The run loop lets events run between lines: layout and painting happen there.
        timer.start();
        for (int i = 0; i < 10; ++i) {
            window.appendLogText(QStringLiteral("08:00:00  方案 正在刷新\r\n"));
            QCoreApplication::processEvents();
        }
        const double withEventsUs = timer.nsecsElapsed() / 1e3 / 10;
        const int lines = done + block + 10 * (done / block + 1);
        if (done == 0 || (done + block) % 10000 == 0)
            std::printf("%10d %16.1f %22.1f\n", lines, appendUs, withEventsUs);
    }
    return 0;
}
