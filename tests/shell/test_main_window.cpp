#include "plans/plan_store.h"
#include "shell/main_window.h"
#include "support/app_fixture.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

RefreshPlan plan(const QString& nick, const QString& numall, const QString& today = {})
{
    RefreshPlan p;
    p.nick = nick;
    p.id = QStringLiteral("101");
    p.times = QStringLiteral("08:00");
    p.sort = QStringLiteral("1");
    p.sort1 = QStringLiteral("1");
    p.numall = numall;
    p.today = today;
    return p;
}

void seed(const QString& dbPath, const QList<RefreshPlan>& plans, FakeClock& clock)
{
    PlanStore store(clock);
    QVERIFY(store.OpenPlanStore(dbPath));
    for (const RefreshPlan& p : plans) {
        QVERIFY(store.InsertPlan(p));
        for (int i = 0; i < p.today.toInt(); ++i)
            store.IncrementPlanToday(p.nick);
    }
}

void trigger(MainWindow* window, const QString& item)
{
    auto* action = window->planMenu()->findChild<QAction*>(item);
    QVERIFY2(action, qPrintable(item));
    action->trigger();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void startsWithLayoutAndEmptyLog();
    void controlsSitAtTheirPlaces_data();
    void controlsSitAtTheirPlaces();
    void missingDatabaseEndsStart();
    void listShowsPlansAndDayTotal();
    void tickMenuItems();
    void deleteTickedDeletesByName();
    void rightPressOpensMenuWithoutSelecting();
    void closeAsksAndOnlyYesCloses();
    void hotkeyFlipsWindowOrLockWindow();
    void refusedHotkeyStaysZero();
    void statusPanelsAndCellsAreAccessible();
    void showPlanTodayWritesFirstMatchingRow();
};

void TestMainWindow::startsWithLayoutAndEmptyLog()
{
    AppFixture f;
    QVERIFY(f.app->start());
    MainWindow* w = f.app->mainWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Tavrel"));
    QCOMPARE(w->size(), QSize(870, 513));
    QCOMPARE(w->logText(), QStringLiteral("操作记录....\r\n"));
    QCOMPARE(w->statusPanel(0), QStringLiteral("状态栏"));
    QCOMPARE(w->statusPanel(1), QString());
    QCOMPARE(w->statusPanel(2), QStringLiteral("今日发布:0"));
    QCOMPARE(w->shutdownDateEdit()->dateTime(), f.clock.now());
    QCOMPARE(w->shutdownDateEdit()->displayFormat(), QStringLiteral("yyyy/MM/dd HH:mm:ss ddd"));
    QVERIFY(!w->shutdownCheck()->isChecked());
    QCOMPARE(w->shutdownTimer()->interval(), 1000);
    QVERIFY(w->shutdownTimer()->isActive());
    auto* list = w->findChild<QTreeWidget*>(QStringLiteral("超级列表框1"));
    QVERIFY(list);
    QCOMPARE(list->columnCount(), 4);
    const QStringList headers = {QStringLiteral("ID"), QStringLiteral("方案名"), QStringLiteral("刷新次数"),
                                 QStringLiteral("已刷新")};
    const int widths[] = {50, 200, 100, 100};
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(list->headerItem()->text(c), headers[c]);
        QCOMPARE(list->columnWidth(c), widths[c]);
    }
    QCOMPARE(f.app->state().HideHotkeyId, 7);
    QCOMPARE(f.hotkey.claimedLetter, 'A');
    QVERIFY(f.messages.messages.isEmpty());
}

void TestMainWindow::controlsSitAtTheirPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::newRow("登录网站") << QStringLiteral("按钮登录网站") << QRect(5, 400, 80, 32) << QStringLiteral("登录网站");
    QTest::newRow("方案设置") << QStringLiteral("按钮刷新设置") << QRect(101, 400, 80, 32) << QStringLiteral("方案设置");
    QTest::newRow("开始操作") << QStringLiteral("按钮开始操作") << QRect(212, 400, 80, 32) << QStringLiteral("开始操作");
    QTest::newRow("停止") << QStringLiteral("按钮停止") << QRect(317, 400, 80, 32) << QStringLiteral("停止");
    QTest::newRow("日期框") << QStringLiteral("日期框1") << QRect(464, 401, 168, 24) << QString();
    QTest::newRow("定时关机") << QStringLiteral("选择框1") << QRect(632, 400, 104, 24) << QStringLiteral("定时关机");
    QTest::newRow("锁定界面") << QStringLiteral("按钮锁定界面") << QRect(775, 400, 77, 24) << QStringLiteral("锁定界面");
    QTest::newRow("记录") << QStringLiteral("编辑框记录") << QRect(459, 11, 403, 386) << QString();
    QTest::newRow("分组框") << QStringLiteral("分组框1") << QRect(0, 3, 458, 397)
                         << QStringLiteral("方案列表  勾选ID右键可删除方案");
    QTest::newRow("列表") << QStringLiteral("超级列表框1") << QRect(1, 21, 455, 373) << QString();
}

void TestMainWindow::controlsSitAtTheirPlaces()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    AppFixture f;
    QVERIFY(f.app->start());
    auto* control = f.app->mainWindow()->findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), geometry);
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        QCOMPARE(button->text(), caption);
    if (auto* group = qobject_cast<QGroupBox*>(control))
        QCOMPARE(group->title(), caption);
}

void TestMainWindow::missingDatabaseEndsStart()
{
    AppFixture f(false);
    QVERIFY(!f.app->start());
    QCOMPARE(f.messages.messages, QStringList{QStringLiteral("数据库连接失败")});
    QVERIFY(!f.app->mainWindow());
    QVERIFY(!QFile::exists(f.dir.databasePath()));
    QVERIFY2(f.hotkey.held.isEmpty(), "the hot key is given back when the window goes");
    QVERIFY(f.messages.questions.isEmpty());
}

void TestMainWindow::listShowsPlansAndDayTotal()
{
    AppFixture f;
    seed(f.dir.databasePath(),
         {plan(QStringLiteral("早间出售"), QStringLiteral("4"), QStringLiteral("2")), plan(QStringLiteral("租房"), QStringLiteral("6")),
          plan(QStringLiteral("晚间"), QStringLiteral("1"), QStringLiteral("9"))},
         f.clock);
    {
        PlanStore store(f.clock);
        QVERIFY(store.OpenPlanStore(f.dir.databasePath()));
        store.IncrementDailyTotal();
        store.IncrementDailyTotal();
    }
    QVERIFY(f.app->start());
    MainWindow* w = f.app->mainWindow();
    QCOMPARE(w->planRowCount(), 3);
    const QStringList expected[] = {{QStringLiteral("1"), QStringLiteral("早间出售"), QStringLiteral("4"), QStringLiteral("2")},
                                    {QStringLiteral("2"), QStringLiteral("租房"), QStringLiteral("6"), QString()},
                                    {QStringLiteral("3"), QStringLiteral("晚间"), QStringLiteral("1"), QStringLiteral("9")}};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c)
            QCOMPARE(w->planRowCell(r, c), expected[r][c]);
        QVERIFY(!w->isRowTicked(r));
    }
    QCOMPARE(w->planRowName(3), QString());
    QCOMPARE(w->planRowName(-1), QString());
    QCOMPARE(w->statusPanel(2), QStringLiteral("今日发布:2"));

    // "刷新显示" shows what the store holds now.
    seed(f.dir.databasePath(), {plan(QStringLiteral("新方案"), QStringLiteral("3"))}, f.clock);
    trigger(w, QStringLiteral("刷新显示"));
    QCOMPARE(w->planRowCount(), 4);
    QCOMPARE(w->planRowCell(3, 0), QStringLiteral("4"));
    QCOMPARE(w->planRowName(3), QStringLiteral("新方案"));
}

void TestMainWindow::tickMenuItems()
{
    AppFixture f;
    seed(f.dir.databasePath(), {plan(QStringLiteral("a"), QStringLiteral("1")), plan(QStringLiteral("b"), QStringLiteral("1")),
                                plan(QStringLiteral("c"), QStringLiteral("1"))},
         f.clock);
    QVERIFY(f.app->start());
    MainWindow* w = f.app->mainWindow();
    const auto ticks = [w] {
        return QList<bool>{w->isRowTicked(0), w->isRowTicked(1), w->isRowTicked(2)};
    };
    trigger(w, QStringLiteral("全部勾选"));
    QCOMPARE(ticks(), (QList<bool>{true, true, true}));
    trigger(w, QStringLiteral("取消勾选"));
    QCOMPARE(ticks(), (QList<bool>{false, false, false}));
    w->setRowTicked(0, true);
    w->setRowTicked(2, true);
    trigger(w, QStringLiteral("反向勾选"));
    QCOMPARE(ticks(), (QList<bool>{false, true, false}));
}

void TestMainWindow::deleteTickedDeletesByName()
{
    AppFixture f;
    seed(f.dir.databasePath(),
         {plan(QStringLiteral("dup"), QStringLiteral("1")), plan(QStringLiteral("keep"), QStringLiteral("1")),
          plan(QStringLiteral("dup"), QStringLiteral("2")), plan(QStringLiteral("x"), QStringLiteral("1"))},
         f.clock);
    QVERIFY(f.app->start());
    MainWindow* w = f.app->mainWindow();
    QCOMPARE(w->planRowCount(), 4);

    trigger(w, QStringLiteral("删除勾选项"));
    QCOMPARE(w->planRowCount(), 4);

    w->setRowTicked(0, true);
    w->setRowTicked(3, true);
    trigger(w, QStringLiteral("删除勾选项"));
    QCOMPARE(w->planRowCount(), 1);
    QCOMPARE(w->planRowName(0), QStringLiteral("keep"));
    QCOMPARE(w->planRowCell(0, 0), QStringLiteral("1"));
    QCOMPARE(f.app->store().ListPlans().size(), 1);
    QVERIFY(f.messages.questions.isEmpty());
}

void TestMainWindow::rightPressOpensMenuWithoutSelecting()
{
    AppFixture f;
    seed(f.dir.databasePath(), {plan(QStringLiteral("a"), QStringLiteral("1")), plan(QStringLiteral("b"), QStringLiteral("1"))},
         f.clock);
    QVERIFY(f.app->start());
    MainWindow* w = f.app->mainWindow();
    QTreeWidget* list = w->planList();
    list->setCurrentItem(list->topLevelItem(0));
    const QPoint onSecondRow = list->visualItemRect(list->topLevelItem(1)).center();
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, onSecondRow);
    QTRY_VERIFY(w->planMenu()->isVisible());
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    w->planMenu()->hide();
    // Below the last row, where no row is, the menu opens as well.
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, QPoint(100, list->viewport()->height() - 5));
    QTRY_VERIFY(w->planMenu()->isVisible());
    w->planMenu()->hide();
}

void TestMainWindow::closeAsksAndOnlyYesCloses()
{
    AppFixture f;
    QVERIFY(f.app->start());
    MainWindow* w = f.app->mainWindow();
    QSignalSpy finished(f.app.get(), &Application::finished);

    f.messages.yesAnswer = false;
    QVERIFY(!w->close());
    QVERIFY(w->isVisible());
    QCOMPARE(f.messages.questions, QStringList{QStringLiteral("确认要关闭软件吗？")});
    QCOMPARE(finished.count(), 0);

    f.messages.yesAnswer = true;
    QVERIFY(w->close());
    QVERIFY(!w->isVisible());
    QCOMPARE(finished.count(), 1);
    QVERIFY(w->closeConfirmed());
}

void TestMainWindow::hotkeyFlipsWindowOrLockWindow()
{
    AppFixture f;
    QVERIFY(f.app->start());
    MainWindow* w = f.app->mainWindow();
    const int id = f.app->state().HideHotkeyId;

    f.hotkey.press(id + 1);
    QVERIFY(w->isVisible());
    f.hotkey.press(id);
    QVERIFY(!w->isVisible());
    f.hotkey.press(id);
    QVERIFY(w->isVisible());

    QWidget lockWindow;
    lockWindow.show();
    w->hide();
    w->setLockWindowProvider([&lockWindow] { return &lockWindow; });
    f.hotkey.press(id);
    QVERIFY(!lockWindow.isVisible());
    QVERIFY(!w->isVisible());
    f.hotkey.press(id);
    QVERIFY(lockWindow.isVisible());
    QVERIFY(!w->isVisible());
}

void TestMainWindow::refusedHotkeyStaysZero()
{
    AppFixture f;
    f.hotkey.refuse = true;
    QVERIFY(f.app->start());
    QCOMPARE(f.app->state().HideHotkeyId, 0);
    f.hotkey.press(0);
    QVERIFY(f.app->mainWindow()->isVisible());
    QVERIFY(f.messages.messages.isEmpty());
}

void TestMainWindow::statusPanelsAndCellsAreAccessible()
{
    AppFixture f;
    seed(f.dir.databasePath(), {plan(QStringLiteral("早间出售"), QStringLiteral("4"))}, f.clock);
    QVERIFY(f.app->start());
    MainWindow* w = f.app->mainWindow();
    w->setStatusPanel(1, QStringLiteral("任务已经停止"));

    auto* panel = w->findChild<QLabel*>(QStringLiteral("状态条1面板1"));
    QVERIFY(panel);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(panel);
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("任务已经停止"));

    QAccessibleInterface* listIface = QAccessible::queryAccessibleInterface(w->planList());
    QVERIFY(listIface && listIface->tableInterface());
    QAccessibleInterface* cell = listIface->tableInterface()->cellAt(0, 1);
    QVERIFY(cell);
    QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("早间出售"));

    for (const char* name : {"按钮登录网站", "按钮开始操作", "编辑框记录", "日期框1", "超级列表框1"}) {
        auto* control = w->findChild<QWidget*>(QString::fromUtf8(name));
        QAccessibleInterface* ci = QAccessible::queryAccessibleInterface(control);
        QVERIFY2(ci && !ci->text(QAccessible::Name).isEmpty(), name);
    }
}

void TestMainWindow::showPlanTodayWritesFirstMatchingRow()
{
    AppFixture f;
    seed(f.dir.databasePath(), {plan(QStringLiteral("a"), QStringLiteral("1")), plan(QStringLiteral("dup"), QStringLiteral("1")),
                                plan(QStringLiteral("dup"), QStringLiteral("1"))},
         f.clock);
    QVERIFY(f.app->start());
    MainWindow* w = f.app->mainWindow();
    w->ShowPlanToday(QStringLiteral("dup"), 5);
    QCOMPARE(w->planRowCell(1, 3), QStringLiteral("5"));
    QCOMPARE(w->planRowCell(2, 3), QString());
    w->ShowPlanToday(QStringLiteral("none"), 3);
    w->ShowPlanToday(QStringLiteral("Dup"), 3);
    QCOMPARE(w->planRowCell(0, 3), QString());
    QCOMPARE(w->planRowCell(1, 3), QStringLiteral("5"));
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
