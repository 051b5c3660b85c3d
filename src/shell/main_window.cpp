#include "shell/main_window.h"

#include "common/app_state.h"
#include "common/clock.h"
#include "common/message_presenter.h"
#include "common/placed_widget.h"
#include "plans/plan_store.h"
#include "shell/platform/global_hotkey.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <QTreeWidget>

namespace {

constexpr int kPanelWidths[4] = { 60, 280, 200, 200 };
constexpr qint64 kFillPumpMs = 15;

} // namespace

MainWindow::MainWindow(
    AppState& state, PlanStore& store, Clock& clock, MessagePresenter& messages, GlobalHotkey& hotkey, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_store(store)
    , m_clock(clock)
    , m_messages(messages)
    , m_hotkey(hotkey)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Tavrel"));
    setAccessibleName(QStringLiteral("Tavrel"));
    setFixedSize(870, 513);
    move(50, 50);

    m_state.HideHotkeyId = m_hotkey.claimAltKey('A');
    connect(&m_hotkey, &GlobalHotkey::activated, this, &MainWindow::onHotkey);

    buildLayout();
    buildMenu();
}

MainWindow::~MainWindow()
{
    if (m_state.HideHotkeyId != 0) {
        m_hotkey.release(m_state.HideHotkeyId);
        m_state.HideHotkeyId = 0;
    }
}

void MainWindow::buildLayout()
{
    m_login = PlacedWidget<QPushButton>(this, "按钮登录网站", { 5, 400, 80, 32 }, QStringLiteral("登录网站"));
    m_planSettings = PlacedWidget<QPushButton>(this, "按钮刷新设置", { 101, 400, 80, 32 }, QStringLiteral("方案设置"));
    m_start = PlacedWidget<QPushButton>(this, "按钮开始操作", { 212, 400, 80, 32 }, QStringLiteral("开始操作"));
    m_stop = PlacedWidget<QPushButton>(this, "按钮停止", { 317, 400, 80, 32 }, QStringLiteral("停止"));

    m_shutdownDate = new QDateTimeEdit(m_clock.now(), this);
    m_shutdownDate->setObjectName(QStringLiteral("日期框1"));
    m_shutdownDate->setAccessibleName(QStringLiteral("关机时间"));
    m_shutdownDate->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    m_shutdownDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd HH:mm:ss ddd"));
    m_shutdownDate->setGeometry(464, 401, 168, 24);

    m_shutdownCheck = new QCheckBox(QStringLiteral("定时关机"), this);
    m_shutdownCheck->setObjectName(QStringLiteral("选择框1"));
    m_shutdownCheck->setGeometry(632, 400, 104, 24);

    m_lock = PlacedWidget<QPushButton>(this, "按钮锁定界面", { 775, 400, 77, 24 }, QStringLiteral("锁定界面"));

    m_clockTimer = new QTimer(this);
    m_clockTimer->setObjectName(QStringLiteral("时钟1"));
    m_clockTimer->setInterval(1000);
    m_clockTimer->start();

    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("编辑框记录"));
    m_log->setAccessibleName(QStringLiteral("操作记录"));
    m_log->setReadOnly(true);
    m_log->setGeometry(459, 11, 403, 386);
    m_log->setPlainText(QStringLiteral("操作记录....\n"));

    // The panels are laid out by hand at their fixed widths; the bar is as wide as its
    // four panels so the countdown in the last one is not cut off.
    m_statusBar = new QFrame(this);
    m_statusBar->setObjectName(QStringLiteral("状态条1"));
    m_statusBar->setAccessibleName(QStringLiteral("状态栏"));
    int x = 0;
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(m_statusBar);
        panel->setObjectName(QStringLiteral("状态条1面板%1").arg(i));
        panel->setAccessibleDescription(QStringLiteral("状态栏面板%1").arg(i));
        panel->setGeometry(x, 0, kPanelWidths[i], 20);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(3);
        x += kPanelWidths[i];
        m_panels[i] = panel;
    }
    m_statusBar->setGeometry(0, 425, x, 20);
    // The buttons above reach 7 px into the bar; the bar stays readable on top of them.
    m_statusBar->raise();
    m_panels[0]->setText(QStringLiteral("状态栏"));

    m_group = new QGroupBox(QStringLiteral("方案列表  勾选ID右键可删除方案"), this);
    m_group->setObjectName(QStringLiteral("分组框1"));
    m_group->setGeometry(0, 3, 458, 397);

    m_list = new QTreeWidget(m_group);
    m_list->setObjectName(QStringLiteral("超级列表框1"));
    m_list->setAccessibleName(QStringLiteral("方案列表"));
    m_list->setGeometry(1, 21, 455, 373);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->header()->setStretchLastSection(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setHeaderLabels(
        { QStringLiteral("ID"), QStringLiteral("方案名"), QStringLiteral("刷新次数"), QStringLiteral("已刷新") });
    const int widths[4] = { 50, 200, 100, 100 };
    for (int c = 0; c < 4; ++c)
        m_list->setColumnWidth(c, widths[c]);
    m_list->viewport()->installEventFilter(this);
    m_list->header()->installEventFilter(this);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] {
        QTreeWidgetItem* selected = m_list->currentItem();
        if (selected && selected->isSelected())
            emit editPlanRequested(selected->text(1));
    });

    // The hot key reaches the window through the platform filter; the label stays as the
    // named receiver the window always had, out of the list's way.
    m_hotkeyLabel = new QLabel(m_group);
    m_hotkeyLabel->setObjectName(QStringLiteral("标签1"));
    m_hotkeyLabel->setGeometry(312, 213, 96, 32);
    m_hotkeyLabel->hide();
}

void MainWindow::buildMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("右键"));
    const auto add = [this](const QString& text, auto slot) {
        QAction* action = m_menu->addAction(text);
        action->setObjectName(text);
        connect(action, &QAction::triggered, this, slot);
    };
    add(QStringLiteral("刷新显示"), [this] { FillPlanList(); });
    add(QStringLiteral("全部勾选"), [this] { tickAll(Qt::Checked); });
    add(QStringLiteral("反向勾选"), [this] { invertTicks(); });
    add(QStringLiteral("取消勾选"), [this] { tickAll(Qt::Unchecked); });
    add(QStringLiteral("删除勾选项"), [this] { deleteTickedPlans(); });
}

void MainWindow::FillPlanList()
{
    const quint64 generation = ++m_fillGeneration;
    m_list->clear();
    const QList<RefreshPlan> plans = m_store.ListPlans();
    // Rows go in in chunks, and events are handled between chunks every few
    // milliseconds: the window stays responsive without paying for an event pass per row.
    QList<QTreeWidgetItem*> chunk;
    QElapsedTimer sincePump;
    sincePump.start();
    for (qsizetype i = 0; i < plans.size(); ++i) {
        const RefreshPlan& plan = plans[i];
        auto* item = new QTreeWidgetItem;
        item->setText(0, QString::number(i + 1));
        item->setText(1, plan.nick);
        item->setText(2, plan.numall);
        item->setText(3, plan.today);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        chunk.append(item);
        if (sincePump.elapsed() >= kFillPumpMs || i + 1 == plans.size()) {
            m_list->addTopLevelItems(chunk);
            chunk.clear();
            QCoreApplication::processEvents();
            sincePump.restart();
            // A handler that ran meanwhile refilled the list: its fill is the current one.
            if (generation != m_fillGeneration)
                return;
        }
    }
}

void MainWindow::appendLogText(const QString& text)
{
    QString plain = text;
    plain.remove(u'\r');
    QScrollBar* bar = m_log->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QTextCursor cursor(m_log->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(plain);
    if (atEnd)
        bar->setValue(bar->maximum());
}

QString MainWindow::logText() const
{
    QString text = m_log->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

void MainWindow::setStatusPanel(int panel, const QString& text)
{
    if (panel >= 0 && panel < 4)
        m_panels[panel]->setText(text);
}

QString MainWindow::statusPanel(int panel) const
{
    return (panel >= 0 && panel < 4) ? m_panels[panel]->text() : QString();
}

int MainWindow::planRowCount() const
{
    return m_list->topLevelItemCount();
}

QString MainWindow::planRowName(int row) const
{
    return planRowCell(row, 1);
}

QString MainWindow::planRowCell(int row, int column) const
{
    const QTreeWidgetItem* item = m_list->topLevelItem(row);
    return item ? item->text(column) : QString();
}

void MainWindow::ShowPlanToday(const QString& nick, int count)
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (item->text(1) == nick) {
            item->setText(3, QString::number(count));
            return;
        }
    }
}

void MainWindow::setStartEnabled(bool enabled)
{
    m_start->setEnabled(enabled);
}

bool MainWindow::isRowTicked(int row) const
{
    const QTreeWidgetItem* item = m_list->topLevelItem(row);
    return item && item->checkState(0) == Qt::Checked;
}

void MainWindow::setRowTicked(int row, bool ticked)
{
    if (QTreeWidgetItem* item = m_list->topLevelItem(row))
        item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

void MainWindow::tickAll(Qt::CheckState state)
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        m_list->topLevelItem(i)->setCheckState(0, state);
}

void MainWindow::invertTicks()
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

void MainWindow::deleteTickedPlans()
{
    QStringList names;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->checkState(0) == Qt::Checked)
            names.append(m_list->topLevelItem(i)->text(1));
    }
    for (const QString& name : names)
        m_store.DeletePlan(name);
    FillPlanList();
}

void MainWindow::setLockWindowProvider(std::function<QWidget*()> provider)
{
    m_lockWindowProvider = std::move(provider);
}

void MainWindow::onHotkey(int id)
{
    if (id != 0 && id == m_state.HideHotkeyId)
        toggleByHotkey();
}

void MainWindow::toggleByHotkey()
{
    QWidget* lockWindow = m_lockWindowProvider ? m_lockWindowProvider() : nullptr;
    QWidget* target = lockWindow ? lockWindow : this;
    target->setVisible(!target->isVisible());
    if (target->isVisible()) {
        target->raise();
        target->activateWindow();
    }
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_firstShown)
        return;
    m_firstShown = true;
    FillPlanList();
    setStatusPanel(2, QStringLiteral("今日发布:") + QString::number(m_store.ReadDailyTotal()));
}

void MainWindow::closeWithoutConfirmation()
{
    m_skipConfirmation = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_skipConfirmation || m_closeConfirmed) {
        event->accept();
        return;
    }
    if (!m_messages.askYesNo(QStringLiteral("确认要关闭软件吗？"))) {
        event->ignore();
        return;
    }
    m_closeConfirmed = true;
    event->accept();
    emit closeAccepted();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A right press anywhere on the list opens the menu and leaves the selection alone.
    if ((watched == m_list->viewport() || watched == m_list->header()) && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            m_menu->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
