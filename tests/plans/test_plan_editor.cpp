#include "common/app_state.h"
#include "plans/plan_editor_window.h"
#include "plans/plan_store.h"
#include "plans/settings_file.h"
#include "support/fake_clock.h"
#include "support/fake_message_presenter.h"
#include "support/temp_data_dir.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace {

const QString kSection = QStringLiteral("界面");

// A program folder with a fresh database, the settings file beside it and an editor
// made on demand, as the main window would make it.
struct EditorFixture
{
    TempDataDir dir;
    FakeClock clock;
    PlanStore store { clock };
    SettingsFile settings { dir.settingsPath() };
    FakeMessagePresenter messages;
    AppState state;
    PortalHosts hosts { QStringLiteral("127.0.0.1:1"), QStringLiteral("127.0.0.1:2"), QStringLiteral("127.0.0.1:3") };
    QStringList pickedUrls;
    QString collectionToHandBack;
    std::unique_ptr<PlanEditorWindow> editor;

    EditorFixture()
    {
        store.OpenPlanStore(dir.databasePath());
    }

    PlanEditorWindow& open(const QString& planName = {})
    {
        state.PlanNameToEdit = planName;
        editor
            = std::make_unique<PlanEditorWindow>(state, store, settings, messages, hosts, [this](const QString& url) {
                  pickedUrls.append(url);
                  state.CollectedIdText = collectionToHandBack;
              });
        editor->show();
        return *editor;
    }

    template<typename T> T* control(const char* name) const
    {
        return editor->findChild<T*>(QString::fromUtf8(name));
    }
    QLineEdit* box(const char* name) const
    {
        return control<QLineEdit>(name);
    }
    QPlainTextEdit* text(const char* name) const
    {
        return control<QPlainTextEdit>(name);
    }
    QRadioButton* radio(const char* name) const
    {
        return control<QRadioButton>(name);
    }
    void click(const char* name) const
    {
        QAbstractButton* button = control<QAbstractButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() / 2, button->height() / 2));
    }
    QString setting(const QString& key) const
    {
        return settings.ReadSetting(kSection, key);
    }

    RefreshPlan savedPlan(const QString& nick, const QString& ids, const QString& times, const QString& sort)
    {
        RefreshPlan plan;
        plan.nick = nick;
        plan.id = ids;
        plan.times = times;
        plan.sort = sort;
        plan.num = sort == u"2" ? QStringLiteral("2") : QString();
        plan.sort1 = QStringLiteral("1");
        plan.numall = QStringLiteral("4");
        store.InsertPlan(plan);
        return store.LoadPlan(nick);
    }
};

// Types as the keyboard would, Chinese and full-width characters included.
void typeInto(QWidget* widget, const QString& text)
{
    widget->setFocus();
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace

class TestPlanEditor : public QObject
{
    Q_OBJECT

private slots:
    void layoutMatchesTheWindowDefinition_data();
    void layoutMatchesTheWindowDefinition();
    void opensEmptyWithCalculatorFromSettings();
    void saveChecks_data();
    void saveChecks();
    void savingReplacesByName();
    void failedSaveKeepsThePlanThatWasThere_data();
    void failedSaveKeepsThePlanThatWasThere();
    void loadsPlanToEdit_data();
    void loadsPlanToEdit();
    void modeButtonsEnableTheCountBox();
    void arrowKeysStepAndWrap_data();
    void arrowKeysStepAndWrap();
    void sideArrowsMoveBetweenHourAndMinute_data();
    void sideArrowsMoveBetweenHourAndMinute();
    void timeBoxSelectsAllOnMouseRelease();
    void smallBoxesTakeOnlyIntegerCharacters_data();
    void smallBoxesTakeOnlyIntegerCharacters();
    void pastedTextIsFiltered();
    void calculatorButtons();
    void mergeCollectedIds_data();
    void mergeCollectedIds();
    void pickListingsMergesTheCollection_data();
    void pickListingsMergesTheCollection();
};

void TestPlanEditor::layoutMatchesTheWindowDefinition_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");

    const auto row = [](const char* name, const char* parent, QRect rect, const char* caption) {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(parent) << rect
                            << QString::fromUtf8(caption);
    };
    row("编辑框方案名称", "PlanEditorWindow", { 67, 7, 208, 23 }, "");
    row("单选框出售", "PlanEditorWindow", { 279, 9, 58, 20 }, "出售");
    row("单选框出租", "PlanEditorWindow", { 336, 9, 58, 20 }, "出租");
    row("分组框1", "PlanEditorWindow", { 5, 32, 472, 189 }, "房源编号");
    row("编辑框编号", "分组框1", { 3, 16, 464, 144 }, "");
    row("按钮1", "分组框1", { 386, 162, 79, 22 }, "选择房源");
    row("分组框2", "PlanEditorWindow", { 6, 223, 474, 217 }, "刷新时间");
    row("编辑框时间", "分组框2", { 0, 15, 473, 201 }, "");
    row("分组框3", "PlanEditorWindow", { 485, 32, 149, 204 }, "计算时间");
    row("编辑框时1", "分组框3", { 58, 14, 25, 21 }, "");
    row("编辑框分1", "分组框3", { 87, 14, 25, 21 }, "");
    row("编辑框时2", "分组框3", { 58, 37, 25, 21 }, "");
    row("编辑框分2", "分组框3", { 87, 37, 25, 21 }, "");
    row("编辑框间隔", "分组框3", { 59, 63, 35, 21 }, "");
    row("编辑框个数", "分组框3", { 59, 87, 35, 21 }, "");
    row("编辑框过滤", "分组框3", { 60, 112, 35, 21 }, "");
    row("按钮生成时间节点", "分组框3", { 27, 140, 106, 27 }, "生成时间节点");
    row("按钮查看刷新次数", "分组框3", { 27, 170, 106, 27 }, "查看刷新次数");
    row("分组框4", "PlanEditorWindow", { 486, 235, 144, 64 }, "");
    row("单选框定点刷新", "分组框4", { 3, 10, 110, 24 }, "定点刷新");
    row("单选框批量轮换", "分组框4", { 4, 37, 114, 24 }, "批量轮换");
    row("按钮保存方案", "PlanEditorWindow", { 496, 400, 80, 32 }, "保存方案");
    row("标签提示", "PlanEditorWindow", { 5, 444, 240, 20 }, "提示栏");
    row("标签1", "PlanEditorWindow", { 8, 10, 65, 16 }, "方案名称：");
}

void TestPlanEditor::layoutMatchesTheWindowDefinition()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);

    EditorFixture f;
    PlanEditorWindow& editor = f.open();
    QCOMPARE(editor.windowTitle(), QStringLiteral("刷新方案设置"));
    QCOMPARE(editor.size(), QSize(641, 494));

    QWidget* widget = editor.findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    QCOMPARE(widget->geometry(), geometry);
    QString shown;
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        shown = button->text();
    else if (auto* label = qobject_cast<QLabel*>(widget))
        shown = label->text();
    else if (auto* frame = qobject_cast<QGroupBox*>(widget))
        shown = frame->title();
    QCOMPARE(shown, caption);
}

void TestPlanEditor::opensEmptyWithCalculatorFromSettings()
{
    EditorFixture f;
    f.settings.WriteSetting(kSection, QStringLiteral("编辑框时1"),
        QStringLiteral("\u3000"
                       "8"
                       "\u3000"));
    f.settings.WriteSetting(kSection, QStringLiteral("编辑框分1"), QStringLiteral("30"));
    f.settings.WriteSetting(kSection, QStringLiteral("编辑框时2"),
        QStringLiteral("\u3000"
                       "21"));
    f.settings.WriteSetting(kSection, QStringLiteral("编辑框个数"), QStringLiteral("3"));
    f.open();

    QVERIFY(f.radio("单选框出售")->isChecked());
    QVERIFY(f.radio("单选框批量轮换")->isChecked());
    QVERIFY(f.box("编辑框个数")->isEnabled());
    QVERIFY(f.box("编辑框方案名称")->text().isEmpty());
    QVERIFY(f.text("编辑框编号")->toPlainText().isEmpty());
    QVERIFY(f.text("编辑框时间")->toPlainText().isEmpty());
    QVERIFY(f.box("编辑框间隔")->text().isEmpty());
    QVERIFY(f.box("编辑框过滤")->text().isEmpty());

    // Shown as stored, written back trimmed at once.
    QCOMPARE(f.box("编辑框时1")->text(),
        QStringLiteral("\u3000"
                       "8"
                       "\u3000"));
    QCOMPARE(f.box("编辑框时2")->text(),
        QStringLiteral("\u3000"
                       "21"));
    QCOMPARE(f.box("编辑框分1")->text(), QStringLiteral("30"));
    QVERIFY(f.box("编辑框分2")->text().isEmpty());
    QCOMPARE(f.setting(QStringLiteral("编辑框时1")), QStringLiteral("8"));
    QCOMPARE(f.setting(QStringLiteral("编辑框时2")), QStringLiteral("21"));

    // Every change of the five boxes is kept, the interval and filter are not.
    typeInto(f.box("编辑框个数"), QStringLiteral("5"));
    QCOMPARE(f.setting(QStringLiteral("编辑框个数")), QStringLiteral("35"));
    typeInto(f.box("编辑框分2"), QStringLiteral("45"));
    QCOMPARE(f.setting(QStringLiteral("编辑框分2")), QStringLiteral("45"));
    typeInto(f.box("编辑框间隔"), QStringLiteral("20"));
    typeInto(f.box("编辑框过滤"), QStringLiteral("7"));
    QVERIFY(f.setting(QStringLiteral("编辑框间隔")).isEmpty());
    QVERIFY(f.setting(QStringLiteral("编辑框过滤")).isEmpty());
}

void TestPlanEditor::saveChecks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ids");
    QTest::addColumn<QString>("times");
    QTest::addColumn<bool>("fixedPoint");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("message");

    QTest::newRow("all empty: the name first") << ""
                                               << ""
                                               << "" << false << ""
                                               << "请填写方案名称";
    QTest::newRow("blank name") << "  \u3000"
                                << "101"
                                << "08:00" << false << "2"
                                << "请填写方案名称";
    QTest::newRow("no ids") << "早间"
                            << " "
                            << "08:00" << false << "2"
                            << "请选择需要刷新的信息id";
    QTest::newRow("no times") << "早间"
                              << "101"
                              << "\u3000" << true << ""
                              << "请选择需要刷新的时间节点";
    QTest::newRow("batch rotation without count") << "早间"
                                                  << "101"
                                                  << "08:00" << false << ""
                                                  << "请填写刷新的次数";
    QTest::newRow("fixed point without count") << "早间"
                                               << "101"
                                               << "08:00" << true << ""
                                               << "保存成功";
    QTest::newRow("batch rotation") << "早间"
                                    << "101"
                                    << "08:00" << false << "2"
                                    << "保存成功";
}

void TestPlanEditor::saveChecks()
{
    QFETCH(QString, name);
    QFETCH(QString, ids);
    QFETCH(QString, times);
    QFETCH(bool, fixedPoint);
    QFETCH(QString, count);
    QFETCH(QString, message);

    EditorFixture f;
    f.open();
    f.box("编辑框方案名称")->setText(name);
    f.text("编辑框编号")->setPlainText(ids);
    f.text("编辑框时间")->setPlainText(times);
    f.box("编辑框个数")->setText(count);
    f.click(fixedPoint ? "单选框定点刷新" : "单选框批量轮换");
    f.click("按钮保存方案");

    QCOMPARE(f.messages.messages, QStringList { message });
    const QList<RefreshPlan> plans = f.store.ListPlans();
    QCOMPARE(plans.size(), message == u"保存成功" ? 1 : 0);
}

void TestPlanEditor::savingReplacesByName()
{
    EditorFixture f;
    f.open();
    f.box("编辑框方案名称")->setText(QStringLiteral(" 早间 "));
    f.text("编辑框编号")->setPlainText(QStringLiteral(" 101,102,103\n"));
    f.text("编辑框时间")->setPlainText(QStringLiteral("08:00,09:00 "));
    f.box("编辑框个数")->setText(QStringLiteral("2"));
    f.click("单选框出租");
    f.click("按钮保存方案");

    RefreshPlan saved = f.store.LoadPlan(QStringLiteral("早间"));
    QCOMPARE(saved.id, QStringLiteral("101,102,103\n"));
    QCOMPARE(saved.times, QStringLiteral("08:00,09:00"));
    QCOMPARE(saved.sort, QStringLiteral("2"));
    QCOMPARE(saved.num, QStringLiteral("2"));
    QCOMPARE(saved.sort1, QStringLiteral("2"));
    QCOMPARE(saved.numall, QStringLiteral("4"));
    QVERIFY(saved.interval.isEmpty());

    // A second save of the same name starts the rotation and the day count afresh.
    f.store.SavePlanProgress(QStringLiteral("早间"), QStringLiteral("102"));
    f.store.IncrementPlanToday(QStringLiteral("早间"));
    f.click("单选框定点刷新");
    f.click("按钮保存方案");
    QCOMPARE(f.store.ListPlans().size(), 1);
    saved = f.store.LoadPlan(QStringLiteral("早间"));
    QCOMPARE(saved.sort, QStringLiteral("1"));
    QVERIFY(saved.num.isEmpty());
    QCOMPARE(saved.numall, QStringLiteral("6"));
    QVERIFY(saved.progress.isEmpty());
    QVERIFY(saved.today.isEmpty());

    // A new name adds a plan and leaves the old one as it was.
    f.box("编辑框方案名称")->setText(QStringLiteral("晚间"));
    f.text("编辑框编号")->setPlainText(QStringLiteral("201"));
    f.click("按钮保存方案");
    QCOMPARE(f.store.ListPlans().size(), 2);
    QCOMPARE(f.store.LoadPlan(QStringLiteral("早间")), saved);
    QCOMPARE(f.store.LoadPlan(QStringLiteral("晚间")).id, QStringLiteral("201"));
    QCOMPARE(f.messages.messages, QStringList(3, QStringLiteral("保存成功")));
}

void TestPlanEditor::failedSaveKeepsThePlanThatWasThere_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ids");
    QTest::addColumn<QString>("times");

    QTest::newRow("quote in the ids") << "早间"
                                      << "101,1'02"
                                      << "08:00";
    QTest::newRow("quote in the times") << "早间"
                                        << "101"
                                        << "08:00,'09:00";
    QTest::newRow("quote in the name") << "早间'"
                                       << "101"
                                       << "08:00";
}

void TestPlanEditor::failedSaveKeepsThePlanThatWasThere()
{
    QFETCH(QString, name);
    QFETCH(QString, ids);
    QFETCH(QString, times);

    EditorFixture f;
    const RefreshPlan before = f.savedPlan(
        QStringLiteral("早间"), QStringLiteral("101,102"), QStringLiteral("08:00,09:00"), QStringLiteral("1"));
    f.store.SavePlanProgress(before.nick, QStringLiteral("102"));
    const RefreshPlan stored = f.store.LoadPlan(before.nick);

    f.open(QStringLiteral("早间"));
    f.box("编辑框方案名称")->setText(name);
    f.text("编辑框编号")->setPlainText(ids);
    f.text("编辑框时间")->setPlainText(times);
    f.click("按钮保存方案");

    QCOMPARE(f.messages.messages, QStringList { QStringLiteral("保存失败") });
    QCOMPARE(f.store.ListPlans(), QList<RefreshPlan> { stored });
}

void TestPlanEditor::loadsPlanToEdit_data()
{
    QTest::addColumn<QString>("planName");
    QTest::addColumn<QString>("sort");
    QTest::addColumn<QString>("sort1");
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<QString>("expectedIds");
    QTest::addColumn<QString>("expectedTimes");
    QTest::addColumn<bool>("fixedPoint");
    QTest::addColumn<bool>("sale");

    QTest::newRow("fixed-point rent plan") << "租房"
                                           << "1"
                                           << "2"
                                           << "租房"
                                           << "101,102"
                                           << "08:00,08:30" << true << false;
    QTest::newRow("batch sale plan") << "售房"
                                     << "2"
                                     << "1"
                                     << "售房"
                                     << "101,102"
                                     << "08:00,08:30" << false << true;
    QTest::newRow("unknown mode and kind") << "其他"
                                           << ""
                                           << ""
                                           << "其他"
                                           << "101,102"
                                           << "08:00,08:30" << false << false;
    QTest::newRow("plan gone") << "不存在"
                               << "1"
                               << "1"
                               << ""
                               << ""
                               << "" << false << false;
}

void TestPlanEditor::loadsPlanToEdit()
{
    QFETCH(QString, planName);
    QFETCH(QString, sort);
    QFETCH(QString, sort1);
    QFETCH(QString, expectedName);
    QFETCH(QString, expectedIds);
    QFETCH(QString, expectedTimes);
    QFETCH(bool, fixedPoint);
    QFETCH(bool, sale);

    EditorFixture f;
    RefreshPlan plan;
    plan.nick = planName == u"不存在" ? QStringLiteral("别的") : planName;
    plan.id = QStringLiteral("101,102");
    plan.times = QStringLiteral("08:00,08:30");
    plan.sort = sort;
    plan.num = QStringLiteral("9");
    plan.sort1 = sort1;
    plan.numall = QStringLiteral("4");
    QVERIFY(f.store.InsertPlan(plan));
    f.settings.WriteSetting(kSection, QStringLiteral("编辑框个数"), QStringLiteral("3"));

    f.open(planName);
    QCOMPARE(f.box("编辑框方案名称")->text(), expectedName);
    QCOMPARE(f.text("编辑框编号")->toPlainText(), expectedIds);
    QCOMPARE(f.text("编辑框时间")->toPlainText(), expectedTimes);
    QVERIFY(f.box("编辑框间隔")->text().isEmpty());
    QCOMPARE(f.radio("单选框定点刷新")->isChecked(), fixedPoint);
    QCOMPARE(f.radio("单选框批量轮换")->isChecked(), !fixedPoint);
    QCOMPARE(f.radio("单选框出售")->isChecked(), sale);
    QCOMPARE(f.radio("单选框出租")->isChecked(), !sale);
    // The plan's own count is not shown, and selecting its mode is not a click.
    QCOMPARE(f.box("编辑框个数")->text(), QStringLiteral("3"));
    QVERIFY(f.box("编辑框个数")->isEnabled());
}

void TestPlanEditor::modeButtonsEnableTheCountBox()
{
    EditorFixture f;
    f.open();
    f.box("编辑框个数")->setText(QStringLiteral("4"));
    f.click("单选框定点刷新");
    QVERIFY(!f.box("编辑框个数")->isEnabled());
    QCOMPARE(f.box("编辑框个数")->text(), QStringLiteral("4"));
    f.click("单选框批量轮换");
    QVERIFY(f.box("编辑框个数")->isEnabled());

    // The kind and the mode are two separate choices.
    f.click("单选框出租");
    f.click("单选框出售");
    QVERIFY(f.radio("单选框出售")->isChecked());
    QVERIFY(!f.radio("单选框出租")->isChecked());
    QVERIFY(f.radio("单选框批量轮换")->isChecked());
    f.click("单选框定点刷新");
    QVERIFY(f.radio("单选框出售")->isChecked());
    QVERIFY(!f.radio("单选框批量轮换")->isChecked());
}

void TestPlanEditor::arrowKeysStepAndWrap_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("keypad");

    const auto row = [](const char* tag, const char* box, const char* start, Qt::Key key, const char* expected) {
        QTest::newRow(tag) << QString::fromUtf8(box) << QString::fromUtf8(start) << int(key)
                           << QString::fromUtf8(expected) << false;
    };
    row("hour 23 up wraps", "编辑框时1", "23", Qt::Key_Up, "0");
    row("hour 22 up", "编辑框时2", "22", Qt::Key_Up, "23");
    row("hour 0 down wraps", "编辑框时2", "0", Qt::Key_Down, "23");
    row("empty hour up", "编辑框时1", "", Qt::Key_Up, "1");
    row("empty hour down wraps", "编辑框时1", "", Qt::Key_Down, "23");
    row("minute 59 up wraps", "编辑框分1", "59", Qt::Key_Up, "0");
    row("minute 0 down wraps", "编辑框分2", "0", Qt::Key_Down, "59");
    row("minute 7 down", "编辑框分1", "7", Qt::Key_Down, "6");
    row("no leading zero", "编辑框分1", "07", Qt::Key_Up, "8");
    row("hour 24 steps on", "编辑框时1", "24", Qt::Key_Up, "25");
    row("minute 60 steps down", "编辑框分2", "60", Qt::Key_Down, "59");
    row("minute 75 steps up", "编辑框分2", "75", Qt::Key_Up, "76");
    row("negative steps on", "编辑框时2", "-1", Qt::Key_Down, "-2");
    row("text after digits", "编辑框时1", "9x", Qt::Key_Up, "10");
    QTest::newRow("keypad up wraps") << QStringLiteral("编辑框分1") << QStringLiteral("59") << int(Qt::Key_Up)
                                     << QStringLiteral("0") << true;
}

void TestPlanEditor::arrowKeysStepAndWrap()
{
    QFETCH(QString, box);
    QFETCH(QString, start);
    QFETCH(int, key);
    QFETCH(QString, expected);
    QFETCH(bool, keypad);

    EditorFixture f;
    f.open();
    auto* edit = qobject_cast<NumberBox*>(f.editor->findChild<QLineEdit*>(box));
    QVERIFY(edit);
    edit->setProgramText(start);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key(key), keypad ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(edit->text(), expected);
    QCOMPARE(f.setting(box), expected);
}

void TestPlanEditor::sideArrowsMoveBetweenHourAndMinute_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("to");

    QTest::newRow("start hour right") << "编辑框时1" << int(Qt::Key_Right) << "编辑框分1";
    QTest::newRow("start minute left") << "编辑框分1" << int(Qt::Key_Left) << "编辑框时1";
    QTest::newRow("end hour right") << "编辑框时2" << int(Qt::Key_Right) << "编辑框分2";
    QTest::newRow("end minute left") << "编辑框分2" << int(Qt::Key_Left) << "编辑框时2";
    QTest::newRow("start minute right stays") << "编辑框分1" << int(Qt::Key_Right) << "编辑框分1";
}

void TestPlanEditor::sideArrowsMoveBetweenHourAndMinute()
{
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(QString, to);

    EditorFixture f;
    PlanEditorWindow& editor = f.open();
    editor.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    for (const char* name : { "编辑框时1", "编辑框分1", "编辑框时2", "编辑框分2" })
        f.box(name)->setText(QStringLiteral("12"));

    QLineEdit* source = editor.findChild<QLineEdit*>(from);
    QLineEdit* target = editor.findChild<QLineEdit*>(to);
    source->setFocus();
    QTest::keyClick(source, Qt::Key(key));
    QCOMPARE(QApplication::focusWidget(), target);
    // Focus selects the whole text, so typing replaces it.
    if (target != source)
        QCOMPARE(target->selectedText(), QStringLiteral("12"));
}

void TestPlanEditor::timeBoxSelectsAllOnMouseRelease()
{
    EditorFixture f;
    PlanEditorWindow& editor = f.open();
    editor.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    QLineEdit* hour = f.box("编辑框时2");
    hour->setText(QStringLiteral("17"));
    f.box("编辑框方案名称")->setFocus();
    QTest::mouseClick(hour, Qt::LeftButton, {}, QPoint(3, hour->height() / 2));
    QCOMPARE(hour->selectedText(), QStringLiteral("17"));
    QTest::keyClicks(hour, QStringLiteral("9"));
    QCOMPARE(hour->text(), QStringLiteral("9"));
}

void TestPlanEditor::smallBoxesTakeOnlyIntegerCharacters_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("letter into interval") << "编辑框间隔"
                                          << "a"
                                          << "";
    QTest::newRow("minus into interval") << "编辑框间隔"
                                         << "-"
                                         << "-";
    QTest::newRow("mixed into count") << "编辑框个数"
                                      << "1a2 b"
                                      << "12";
    QTest::newRow("full-width digit into filter") << "编辑框过滤"
                                                  << "５5"
                                                  << "5";
    QTest::newRow("dot and comma into hour") << "编辑框时1"
                                             << "1.,2"
                                             << "12";
    QTest::newRow("Chinese into minute") << "编辑框分2"
                                         << "三3"
                                         << "3";
}

void TestPlanEditor::smallBoxesTakeOnlyIntegerCharacters()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    EditorFixture f;
    f.open();
    QLineEdit* edit = f.editor->findChild<QLineEdit*>(box);
    typeInto(edit, typed);
    QCOMPARE(edit->text(), expected);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), expected.left(expected.size() - 1));
}

void TestPlanEditor::pastedTextIsFiltered()
{
    EditorFixture f;
    f.open();
    QLineEdit* interval = f.box("编辑框间隔");
    interval->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("1a-2 分"));
    QTest::keyClick(interval, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(interval->text(), QStringLiteral("1-2"));

    // The name box takes any text.
    QLineEdit* name = f.box("编辑框方案名称");
    typeInto(name, QStringLiteral("a 1"));
    QCOMPARE(name->text(), QStringLiteral("a 1"));
}

void TestPlanEditor::calculatorButtons()
{
    EditorFixture f;
    f.open();
    f.text("编辑框时间")->setPlainText(QStringLiteral("kept"));
    f.click("按钮生成时间节点");
    QCOMPARE(f.messages.messages, QStringList { QStringLiteral("请正确填写开始时间和结束时间") });
    QCOMPARE(f.text("编辑框时间")->toPlainText(), QStringLiteral("kept"));

    typeInto(f.box("编辑框时1"), QStringLiteral("8"));
    typeInto(f.box("编辑框时2"), QStringLiteral("9"));
    typeInto(f.box("编辑框间隔"), QStringLiteral("20"));
    f.click("按钮生成时间节点");
    QCOMPARE(f.text("编辑框时间")->toPlainText(), QStringLiteral("08:00,08:20,08:40,09:00"));

    f.text("编辑框编号")->setPlainText(QStringLiteral("101,102"));
    QCOMPARE(f.control<QLabel>("标签提示")->text(), QStringLiteral("提示栏"));
    f.click("单选框定点刷新");
    f.click("按钮查看刷新次数");
    QCOMPARE(f.control<QLabel>("标签提示")->text(), QStringLiteral("共需刷新 8 次"));
    f.box("编辑框个数")->setText(QStringLiteral("5"));
    f.click("单选框批量轮换");
    f.click("按钮查看刷新次数");
    QCOMPARE(f.control<QLabel>("标签提示")->text(), QStringLiteral("共需刷新 20 次"));
    QCOMPARE(f.messages.messages.size(), 1);
}

void TestPlanEditor::mergeCollectedIds_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("collected");
    QTest::addColumn<QString>("expected");

    QTest::newRow("new ids appended once") << "101, 102"
                                           << "102,103,"
                                           << "101,102,103";
    QTest::newRow("part of a longer id is another id") << "1001"
                                                       << "100,"
                                                       << "1001,100";
    QTest::newRow("longer id after its part") << "100"
                                              << "1001,"
                                              << "100,1001";
    QTest::newRow("empty collection tidies the box") << " 101,,101 ,\u3000102\u3000,"
                                                     << ""
                                                     << "101,102";
    QTest::newRow("empty box") << ""
                               << "201,202,"
                               << "201,202";
    QTest::newRow("both empty") << ""
                                << ""
                                << "";
    QTest::newRow("only separators") << ", ,,"
                                     << ","
                                     << "";
    QTest::newRow("line breaks stay inside one item") << "101\n102"
                                                      << "102,"
                                                      << "101\n102,102";
    QTest::newRow("case matters") << "A1"
                                  << "a1,"
                                  << "A1,a1";
}

void TestPlanEditor::mergeCollectedIds()
{
    QFETCH(QString, box);
    QFETCH(QString, collected);
    QFETCH(QString, expected);
    QCOMPARE(MergeCollectedIds(box, collected), expected);
}

void TestPlanEditor::pickListingsMergesTheCollection_data()
{
    QTest::addColumn<bool>("sale");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("collected");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected");

    QTest::newRow("sale list") << true << "101, 102"
                               << "102,103,"
                               << "http://127.0.0.1:1/magent/house/houselist.aspx?businesstype=cs"
                               << "101,102,103";
    QTest::newRow("rent list") << false << "1001"
                               << "100,"
                               << "http://127.0.0.1:1/magent/house/houselist.aspx?businesstype=cz"
                               << "1001,100";
    QTest::newRow("cancelled") << true << "101,,101 ,102\u3000"
                               << ""
                               << "http://127.0.0.1:1/magent/house/houselist.aspx?businesstype=cs"
                               << "101,102";
}

void TestPlanEditor::pickListingsMergesTheCollection()
{
    QFETCH(bool, sale);
    QFETCH(QString, box);
    QFETCH(QString, collected);
    QFETCH(QString, url);
    QFETCH(QString, expected);

    EditorFixture f;
    f.open();
    f.click(sale ? "单选框出售" : "单选框出租");
    f.text("编辑框编号")->setPlainText(box);
    f.collectionToHandBack = collected;
    f.click("按钮1");
    QCOMPARE(f.pickedUrls, QStringList { url });
    QCOMPARE(f.state.ExtractStartUrl, url);
    QCOMPARE(f.text("编辑框编号")->toPlainText(), expected);
}

QTEST_MAIN(TestPlanEditor)
#include "test_plan_editor.moc"
