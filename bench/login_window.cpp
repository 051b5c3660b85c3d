// Measures what the embedded browser costs and when: the resident memory of the started
// program before the login window was ever opened (the browser engine must not even be
// loaded yet), and the time from opening the login window until the simulator's sign-in
// page is shown.
#include "portal/portal_access.h"
#include "portal_simulator.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "support/fake_clock.h"
#include "support/fake_message_presenter.h"
#include "support/fake_platform.h"
#include "support/temp_data_dir.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>

namespace {

QByteArray procFile(qint64 pid, const char* name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

double residentMiB(qint64 pid)
{
    for (const QByteArray& line : procFile(pid, "status").split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// Child processes of pid that are browser engine helpers.
int engineProcesses(qint64 pid)
{
    int count = 0;
    const QByteArray parentLine = QByteArray("\nPPid:\t") + QByteArray::number(pid) + QByteArray("\n");
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const qint64 other = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        const QByteArray text = procFile(other, "status");
        if (text.contains(parentLine) && text.startsWith("Name:\tQtWebEngine"))
            ++count;
    }
    return count;
}

bool engineLibraryMapped(qint64 pid)
{
    return procFile(pid, "maps").contains("libQt6WebEngineCore");
}

// Starts the real program (tavrel-demo of this build) in a fresh program folder and
// reads its resident memory once it has settled with its main window shown.
bool measureStartedProgram()
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../src/app/tavrel-demo");
    if (!QFileInfo::exists(program)) {
        std::printf("tavrel-demo not built (%s)\n", qPrintable(program));
        return false;
    }
    TempDataDir dir;
    const QString copy = dir.root() + QStringLiteral("/tavrel-demo");
    QFile::copy(program, copy);
    QProcess child;
    child.start(copy, {});
    if (!child.waitForStarted(10000)) {
        std::printf("tavrel-demo did not start\n");
        return false;
    }
    const qint64 pid = child.processId();
    // Settled: the same resident size for a second.
    double last = -1;
    int steady = 0;
    QElapsedTimer waited;
    waited.start();
    while (steady < 10 && waited.elapsed() < 15000 && child.state() == QProcess::Running) {
        child.waitForFinished(100);
        const double now = residentMiB(pid);
        steady = (now == last) ? steady + 1 : 0;
        last = now;
    }
    if (child.state() != QProcess::Running) {
        std::printf("tavrel-demo ended early: %s\n", child.readAllStandardError().constData());
        return false;
    }
    std::printf("tavrel-demo started, main window shown, login window never opened:\n");
    std::printf("  resident memory            %.1f MiB (limit 50 MiB)\n", last);
    std::printf("  libQt6WebEngineCore loaded %s\n", engineLibraryMapped(pid) ? "yes" : "no");
    std::printf("  browser module loaded      %s\n", procFile(pid, "maps").contains("tavrel_browser.so") ? "yes" : "no");
    std::printf("  browser engine processes   %d\n", engineProcesses(pid));
    child.kill();
    child.waitForFinished(5000);
    return true;
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
    if (!measureStartedProgram())
        return 1;

    // Each opening: from the call until the sign-in page has loaded, then "取消".
    const QString signIn = sim.baseUrl() + PortalSimulator::signInPath();
    QList<double> times;
    QElapsedTimer clockwatch;
    QObject::connect(&app.portal(), &PortalAccess::loginWindowOpened, &app, [&](QDialog* window) {
        auto* browser = window->findChild<QWebEngineView*>(QStringLiteral("互联网浏览器1"));
        QObject::connect(browser, &QWebEngineView::loadFinished, window, [&, window, browser](bool) {
            if (browser->title() != QStringLiteral("Domora帮登录"))
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
    const qint64 self = QCoreApplication::applicationPid();
    std::printf("after opening (this process): browser engine processes %d, browser session %s\n",
                engineProcesses(self), app.portal().browserStarted() ? "made" : "not made");
    return 0;
}
