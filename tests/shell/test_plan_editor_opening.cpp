#include "plans/plan_editor_window.h"
#include "plans/plan_store.h"
#include "shell/main_window.h"
#include "support/app_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

namespace {

// Runs inspect on the modal window once the opener is waiting in it, then closes it.
// The pointer stays null when no modal window came up.
void whileModalIsOpen(const std::function<void(PlanEditorWindow*)>& inspect, bool& seen)
{
    QTimer::singleShot(0, [inspect, &seen] {
        auto* editor = qobject_cast<PlanEditorWindow*>(QApplication::activeModalWidget());
        seen = editor != nullptr;
        if (!editor)
            return;
        inspect(editor);
        editor->close();
    });
}

RefreshPlan fixedPointRentPlan(const QString& nick)
{
    RefreshPlan plan;
    plan.nick = nick;
    plan.id = QStringLiteral("101,102");
    plan.times = QStringLiteral("08:00,08:30");
    plan.sort = QStringLiteral("1");
    plan.sort1 = QStringLiteral("2");
    plan.numall = QStringLiteral("4");
    return plan;
}

} // namespace

class TestPlanEditorOpening : public QObject
{
    Q_OBJECT

private slots:
    void planSettingsOpensAnEmptyEditorAndRefillsTheList();
    void doubleClickOpensTheEditorOnThatPlan();
};

void TestPlanEditorOpening::planSettingsOpensAnEmptyEditorAndRefillsTheList()
{
    AppFixture f;
    QVERIFY(f.app->start());
    MainWindow* window = f.app->mainWindow();
    f.app->state().PlanNameToEdit = QStringLiteral("left over");
    QCOMPARE(window->planRowCount(), 0);

    bool seen = false;
    whileModalIsOpen(
        [&](PlanEditorWindow* editor) {
            QCOMPARE(editor->parentWidget(), window);
            QVERIFY(f.app->state().PlanNameToEdit.isEmpty());
            QVERIFY(editor->findChild<QLineEdit*>(QStringLiteral("编辑框方案名称"))->text().isEmpty());
            QVERIFY(editor->findChild<QRadioButton*>(QStringLiteral("单选框出售"))->isChecked());
            // A plan saved behind the editor's back shows once the editor has closed.
            f.app->store().InsertPlan(fixedPointRentPlan(QStringLiteral("早间")));
        },
        seen);
    QTest::mouseClick(window->planSettingsButton(), Qt::LeftButton);
    QVERIFY(seen);
    QCOMPARE(window->planRowCount(), 1);
    QCOMPARE(window->planRowName(0), QStringLiteral("早间"));
}

void TestPlanEditorOpening::doubleClickOpensTheEditorOnThatPlan()
{
    AppFixture f;
    f.app->start();
    f.app->store().InsertPlan(fixedPointRentPlan(QStringLiteral("早间")));
    f.app->store().InsertPlan(fixedPointRentPlan(QStringLiteral("晚间")));
    MainWindow* window = f.app->mainWindow();
    window->FillPlanList();

    QTreeWidget* list = window->planList();
    QTreeWidgetItem* row = list->topLevelItem(1);
    list->setCurrentItem(row);
    const QRect cell = list->visualItemRect(row);

    bool seen = false;
    whileModalIsOpen(
        [&](PlanEditorWindow* editor) {
            QCOMPARE(f.app->state().PlanNameToEdit, row->text(1));
            QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("编辑框方案名称"))->text(), row->text(1));
            QVERIFY(editor->findChild<QRadioButton*>(QStringLiteral("单选框定点刷新"))->isChecked());
            QVERIFY(editor->findChild<QRadioButton*>(QStringLiteral("单选框出租"))->isChecked());
        },
        seen);
    // A double click is a press and release followed by the double-click event.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(seen);
}

QTEST_MAIN(TestPlanEditorOpening)
#include "test_plan_editor_opening.moc"
