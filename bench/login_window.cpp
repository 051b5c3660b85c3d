// Measures what the embedded browser costs and when: the resident memory of a started
// main window before the login window was ever opened (the browser engine must not be
// running yet), and the time from opening the login window until the simulator's
// sign-in page is shown.
#include "portal/login_extract_window.h"
#include "portal/portal_access.h"
#include "portal_simulator.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "support/fake_clock.h"
#include "support/fake_message_presenter.h"
#include "support/fake_platform.h"
#include "support/temp_data_dir.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// Child processes of this one that are browser engine helpers.
int engineProcesses()
{
    int count = 0;
    const QString self = QString::number(getpid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(QStringLiteral("/proc/") + pid + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = status.readAll();
        const QByteArray parentLine = QByteArray("\nPPid:\t") + self.toLatin1() + QByteArray("\n");
        if (text.contains(parentLine) && text.startsWith("Name:\tQtWebEngine"))
            ++count;
    }
    return count;
}

bool engineLibraryMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qapp(argc, argv);
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 9;

    PortalSimulator sim;
    if (!sim.start()) {
        std::printf("cannot start the portal simulator\n");
        return 1;
    }
    TempDataDir dir;
    FakeClock clock;
    FakeMessagePresenter messages;
    FakeHotkey hotkey;
    FakePowerControl power;
    AppEnvironment env;
    env.programDir = dir.root();
    env.hosts = {sim.hostPort(), sim.hostPort(), sim.hostPort()};
    env.clock = &clock;
    env.messages = &messages;
    env.hotkey = &hotkey;
    env.power = &power;
    Application app(env);
    if (!app.start()) {
        std::printf("the program did not start\n");
        return 1;
    }
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();

    std::printf("main window started, login window never opened:\n");
    std::printf("  resident memory            %.1f MiB (limit 50 MiB)\n", residentMiB());
    std::printf("  browser profile created    %s\n", app.portal().browserStarted() ? "yes" : "no");
    std::printf("  browser engine processes   %d\n", engineProcesses());
    std::printf("  libQt6WebEngineCore mapped %s (linked, but not initialised)\n", engineLibraryMapped() ? "yes" : "no");

    // Each opening: from the call until the sign-in page has loaded, then "取消".
    const QString signIn = sim.baseUrl() + PortalSimulator::signInPath();
    QList<double> times;
    QElapsedTimer clockwatch;
    QObject::connect(&app.portal(), &PortalAccess::loginWindowOpened, &app, [&](LoginExtractWindow* window) {
        QObject::connect(window->browser(), &QWebEngineView::loadFinished, window, [&, window](bool) {
            if (window->browser()->title() != LoginExtractWindow::SignInPageTitle)
                return;
            times.append(clockwatch.nsecsElapsed() / 1e6);
            window->findChild<QPushButton*>(QStringLiteral("按钮取消提取"))->click();
        });
    });
    for (int i = 0; i < runs; ++i) {
        clockwatch.start();
        app.portal().OpenLoginExtractWindow(signIn, app.mainWindow());
    }
    if (times.size() != runs) {
        std::printf("only %lld of %d openings reached the sign-in page\n", qlonglong(times.size()), runs);
        return 1;
    }
    std::printf("opening the login window until the sign-in page is shown (%d openings):\n", runs);
    std::printf("  first (starts the engine)  %.0f ms\n", times.first());
    QList<double> later = times.mid(1);
    std::sort(later.begin(), later.end());
    QList<double> all = times;
    std::sort(all.begin(), all.end());
    std::printf("  median of all              %.0f ms (limit 1500 ms)\n", all.at(all.size() / 2));
    std::printf("  median after the first     %.0f ms, slowest %.0f ms\n", later.at(later.size() / 2), later.last());
    std::printf("after opening: resident memory %.1f MiB, browser engine processes %d\n", residentMiB(),
                engineProcesses());
    return 0;
}
