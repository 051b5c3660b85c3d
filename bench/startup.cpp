// Start-up: process start until the main window is shown (then quit), with 1,000 plans
// in the store, against a bare Qt program that shows the same widgets with the same
// 1,000 rows. Prints median wall time and peak resident memory of each.
#include "common/clock.h"
#include "plans/plan_store.h"
#include "shell/application.h"
#include "shell/dialog_message_presenter.h"
#include "shell/platform/platform_hotkey.h"
#include "support/fake_platform.h"
#include "support/temp_data_dir.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kPlans = 1000;
constexpr int kRuns = 15;

QString planName(int i)
{
    return QStringLiteral("方案%1").arg(i, 4, 10, QLatin1Char('0'));
}

int runTavrel(int argc, char** argv, const QString& programDir)
{
    QApplication app(argc, argv);
    SystemClock clock;
    DialogMessagePresenter messages;
    std::unique_ptr<GlobalHotkey> hotkey = CreatePlatformHotkey();
    FakePowerControl power;
    AppEnvironment env{programDir, {}, &clock, &messages, hotkey.get(), &power};
    Application tavrel(env);
    if (!tavrel.start())
        return 1;
    QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    return app.exec();
}

int runBare(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(870, 513);
    for (int i = 0; i < 4; ++i)
        (new QPushButton(QStringLiteral("按钮"), &window))->setGeometry(5 + 100 * i, 400, 80, 32);
    (new QDateTimeEdit(QDateTime::currentDateTime(), &window))->setGeometry(464, 401, 168, 24);
    (new QCheckBox(QStringLiteral("定时关机"), &window))->setGeometry(632, 400, 104, 24);
    (new QPushButton(QStringLiteral("锁定界面"), &window))->setGeometry(775, 400, 77, 24);
    auto* log = new QPlainTextEdit(&window);
    log->setGeometry(459, 11, 403, 386);
    log->setPlainText(QStringLiteral("操作记录....\n"));
    for (int i = 0; i < 4; ++i)
        (new QLabel(QStringLiteral("状态栏"), &window))->setGeometry(60 * i, 425, 60, 20);
    auto* group = new QGroupBox(QStringLiteral("方案列表"), &window);
    group->setGeometry(0, 3, 458, 397);
    auto* list = new QTreeWidget(group);
    list->setGeometry(1, 21, 455, 373);
    list->setHeaderLabels({QStringLiteral("ID"), QStringLiteral("方案名"), QStringLiteral("刷新次数"), QStringLiteral("已刷新")});
    for (int i = 0; i < kPlans; ++i) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, QString::number(i + 1));
        item->setText(1, planName(i));
        item->setText(2, QStringLiteral("12"));
        item->setText(3, QStringLiteral("3"));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    window.show();
    QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    return app.exec();
}

struct Sample
{
    double ms = 0;
    long maxRssKiB = 0;
};

Sample spawnChild(const char* self, const char* mode, const QByteArray& dir)
{
    const char* args[] = {self, "--child", mode, dir.constData(), nullptr};
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, self, nullptr, nullptr, const_cast<char**>(args), environ) != 0)
        return {};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return {timer.nsecsElapsed() / 1e6, usage.ru_maxrss};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && qstrcmp(argv[1], "--child") == 0) {
        if (qstrcmp(argv[2], "bare") == 0)
            return runBare(argc, argv);
        return runTavrel(argc, argv, QString::fromLocal8Bit(argv[3]));
    }

    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TempDataDir dir;
    {
        SystemClock clock;
        PlanStore store(clock);
        if (!store.OpenPlanStore(dir.databasePath())) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(dir.databasePath()));
            return 1;
        }
        for (int i = 0; i < kPlans; ++i) {
            RefreshPlan plan;
            plan.nick = planName(i);
            plan.id = QStringLiteral("101,102,103");
            plan.times = QStringLiteral("08:00,12:00,18:00,20:00");
            plan.sort = QStringLiteral("1");
            plan.sort1 = QStringLiteral("1");
            plan.numall = QStringLiteral("12");
            store.InsertPlan(plan);
        }
    }
    const QByteArray root = dir.root().toLocal8Bit();
    std::vector<double> tavrelMs, bareMs;
    long tavrelRss = 0, bareRss = 0;
    spawnChild(argv[0], "tavrel", root); // warm the page cache
    spawnChild(argv[0], "bare", root);
    for (int i = 0; i < kRuns; ++i) {
        const Sample t = spawnChild(argv[0], "tavrel", root);
        const Sample b = spawnChild(argv[0], "bare", root);
        tavrelMs.push_back(t.ms);
        bareMs.push_back(b.ms);
        tavrelRss = std::max(tavrelRss, t.maxRssKiB);
        bareRss = std::max(bareRss, b.maxRssKiB);
    }
    const double t = median(tavrelMs), b = median(bareMs);
    std::printf("start-up with %d plans, %d runs each (offscreen)\n", kPlans, kRuns);
    std::printf("  tavrel: median %.1f ms, peak RSS %.1f MiB\n", t, tavrelRss / 1024.0);
    std::printf("  bare:   median %.1f ms, peak RSS %.1f MiB\n", b, bareRss / 1024.0);
    std::printf("  ratio tavrel/bare: %.2f (target <= 2.00); peak RSS target <= 50 MiB\n", t / b);
    return 0;
}
