#include "plans/plan_editor_window.h"

#include "common/app_state.h"
#include "common/message_presenter.h"
#include "common/placed_widget.h"
#include "common/text_helpers.h"
#include "plans/plan_store.h"
#include "plans/refresh_plan.h"
#include "plans/settings_file.h"
#include "plans/time_nodes.h"

#include <QButtonGroup>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>

namespace {

const QString kSettingsSection = QStringLiteral("界面");

bool isIntegerChar(QChar c)
{
    return (c >= u'0' && c <= u'9') || c == u'-' || c.category() == QChar::Other_Control;
}

// Drops every other character from what the user types, pastes or drops, and keeps
// the rest: pasting "1a2" leaves 12.
class IntegerCharFilter final : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override
    {
        QString kept;
        kept.reserve(input.size());
        int keptBeforeCursor = 0;
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (!isIntegerChar(input.at(i)))
                continue;
            kept.append(input.at(i));
            if (i < pos)
                ++keptBeforeCursor;
        }
        input = kept;
        pos = keptBeforeCursor;
        return Acceptable;
    }
};

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int x, int y, int w = -1, int h = -1)
{
    if (w >= 0)
        return PlacedWidget<QLabel>(parent, name, QRect(x, y, w, h), caption);
    // Captions without a given size take the size of their text.
    auto* label = PlacedWidget<QLabel>(parent, name, QRect(x, y, 0, 0), caption);
    label->adjustSize();
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int x, int y, int w, int h)
{
    auto* button = PlacedWidget<QPushButton>(parent, name, QRect(x, y, w, h), caption);
    // Enter in a box must not press a button of the dialog.
    button->setAutoDefault(false);
    return button;
}

template<class Box>
Box* makeBox(QWidget* parent, const char* name, const QString& accessibleName, int x, int y, int w, int h)
{
    auto* box = PlacedWidget<Box>(parent, name, QRect(x, y, w, h));
    box->setAccessibleName(accessibleName);
    return box;
}

QPlainTextEdit* makeMultiLine(
    QWidget* parent, const char* name, const QString& accessibleName, int x, int y, int w, int h)
{
    auto* box = makeBox<QPlainTextEdit>(parent, name, accessibleName, x, y, w, h);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return box;
}

} // namespace

QString MergeCollectedIds(const QString& boxText, const QString& collected)
{
    QStringList result;
    const QStringList items = SplitListingIds(boxText + u',' + collected);
    for (const QString& item : items) {
        const QString id = TrimSpaces(item);
        if (id.isEmpty() || result.contains(id))
            continue;
        result.append(id);
    }
    return result.join(u',');
}

NumberBox::NumberBox(QWidget* parent)
    : QLineEdit(parent)
{
    setValidator(new IntegerCharFilter(this));
}

void NumberBox::setProgramText(const QString& text)
{
    const QValidator* filter = validator();
    setValidator(nullptr);
    setText(text);
    setValidator(filter);
}

void NumberBox::setNeighbours(NumberBox* left, NumberBox* right)
{
    m_left = left;
    m_right = right;
}

void NumberBox::step(int delta)
{
    const qint64 value = NumberFromText(text());
    qint64 next = value + delta;
    if (delta > 0 && value == m_wrapBound)
        next = 0;
    else if (delta < 0 && value == 0)
        next = m_wrapBound;
    setText(QString::number(next));
}

void NumberBox::keyPressEvent(QKeyEvent* event)
{
    // The keypad's arrows count as arrows.
    if (m_wrapBound > 0 && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Up:
            step(1);
            return;
        case Qt::Key_Down:
            step(-1);
            return;
        case Qt::Key_Right:
            if (m_right) {
                m_right->setFocus(Qt::OtherFocusReason);
                return;
            }
            break;
        case Qt::Key_Left:
            if (m_left) {
                m_left->setFocus(Qt::OtherFocusReason);
                return;
            }
            break;
        default:
            break;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void NumberBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (m_wrapBound > 0)
        selectAll();
}

void NumberBox::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (m_wrapBound > 0 && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        selectAll();
}

PlanEditorWindow::PlanEditorWindow(AppState& state, PlanStore& store, SettingsFile& settings,
    MessagePresenter& messages, const PortalHosts& hosts, ListingPicker pickListings, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_store(store)
    , m_settings(settings)
    , m_messages(messages)
    , m_hosts(hosts)
    , m_pickListings(std::move(pickListings))
{
    setObjectName(QStringLiteral("PlanEditorWindow"));
    setWindowTitle(QStringLiteral("刷新方案设置"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(641, 494);
    move(50, 50);
    buildLayout();

    for (NumberBox* box : { m_startHour, m_endHour, m_startMinute, m_endMinute, m_countBox }) {
        connect(box, &QLineEdit::textChanged, this, [this, box](const QString& text) {
            m_settings.WriteSetting(kSettingsSection, box->objectName(), TrimSpaces(text));
        });
    }
    connect(m_fixedPoint, &QRadioButton::clicked, this, [this] { m_countBox->setEnabled(false); });
    connect(m_batchRotation, &QRadioButton::clicked, this, [this] { m_countBox->setEnabled(true); });
    connect(m_pickButton, &QPushButton::clicked, this, &PlanEditorWindow::pickListings);
    connect(m_saveButton, &QPushButton::clicked, this, &PlanEditorWindow::savePlan);
    connect(m_generateButton, &QPushButton::clicked, this, &PlanEditorWindow::generateTimeNodes);
    connect(m_countButton, &QPushButton::clicked, this, &PlanEditorWindow::showRefreshCount);

    loadCalculatorSettings();
}

void PlanEditorWindow::buildLayout()
{
    makeLabel(this, "标签1", QStringLiteral("方案名称："), 8, 10, 65, 16);
    m_nameBox = new QLineEdit(this);
    m_nameBox->setObjectName(QStringLiteral("编辑框方案名称"));
    m_nameBox->setAccessibleName(QStringLiteral("方案名称"));
    m_nameBox->setGeometry(67, 7, 208, 23);
    m_sale = PlacedWidget<QRadioButton>(this, "单选框出售", QRect(279, 9, 58, 20), QStringLiteral("出售"));
    m_rent = PlacedWidget<QRadioButton>(this, "单选框出租", QRect(336, 9, 58, 20), QStringLiteral("出租"));
    m_sale->setChecked(true);
    // Plain auto-exclusion would tie these to the mode buttons in the frame below.
    auto* kinds = new QButtonGroup(this);
    kinds->addButton(m_sale);
    kinds->addButton(m_rent);

    QGroupBox* ids = PlacedWidget<QGroupBox>(this, "分组框1", QRect(5, 32, 472, 189), QStringLiteral("房源编号"));
    m_idBox = makeMultiLine(ids, "编辑框编号", QStringLiteral("房源编号"), 3, 16, 464, 144);
    m_pickButton = makeButton(ids, "按钮1", QStringLiteral("选择房源"), 386, 162, 79, 22);

    QGroupBox* times = PlacedWidget<QGroupBox>(this, "分组框2", QRect(6, 223, 474, 217), QStringLiteral("刷新时间"));
    m_timesBox = makeMultiLine(times, "编辑框时间", QStringLiteral("刷新时间"), 0, 15, 473, 201);

    QGroupBox* calc = PlacedWidget<QGroupBox>(this, "分组框3", QRect(485, 32, 149, 204), QStringLiteral("计算时间"));
    makeLabel(calc, "标签2", QStringLiteral("开始时间"), 5, 15);
    m_startHour = makeBox<NumberBox>(calc, "编辑框时1", QStringLiteral("开始时间 时"), 58, 14, 25, 21);
    makeLabel(calc, "标签3", QStringLiteral("："), 82, 15);
    m_startMinute = makeBox<NumberBox>(calc, "编辑框分1", QStringLiteral("开始时间 分"), 87, 14, 25, 21);
    makeLabel(calc, "标签4", QStringLiteral("结束时间"), 5, 38);
    m_endHour = makeBox<NumberBox>(calc, "编辑框时2", QStringLiteral("结束时间 时"), 58, 37, 25, 21);
    makeLabel(calc, "标签5", QStringLiteral("："), 82, 38);
    m_endMinute = makeBox<NumberBox>(calc, "编辑框分2", QStringLiteral("结束时间 分"), 87, 37, 25, 21);
    makeLabel(calc, "标签6", QStringLiteral("间隔"), 28, 65);
    m_intervalBox = makeBox<NumberBox>(calc, "编辑框间隔", QStringLiteral("间隔分钟"), 59, 63, 35, 21);
    makeLabel(calc, "标签7", QStringLiteral("分钟"), 96, 64);
    makeLabel(calc, "标签8", QStringLiteral("每次刷新"), 4, 89);
    m_countBox = makeBox<NumberBox>(calc, "编辑框个数", QStringLiteral("每次刷新房源个数"), 59, 87, 35, 21);
    makeLabel(calc, "标签9", QStringLiteral("个房源"), 96, 88);
    makeLabel(calc, "标签10", QStringLiteral("过滤N倍数"), 3, 114);
    m_filterBox = makeBox<NumberBox>(calc, "编辑框过滤", QStringLiteral("过滤N倍数"), 60, 112, 35, 21);
    m_generateButton = makeButton(calc, "按钮生成时间节点", QStringLiteral("生成时间节点"), 27, 140, 106, 27);
    m_countButton = makeButton(calc, "按钮查看刷新次数", QStringLiteral("查看刷新次数"), 27, 170, 106, 27);

    m_startHour->setWrapBound(23);
    m_endHour->setWrapBound(23);
    m_startMinute->setWrapBound(59);
    m_endMinute->setWrapBound(59);
    m_startHour->setNeighbours(nullptr, m_startMinute);
    m_startMinute->setNeighbours(m_startHour, nullptr);
    m_endHour->setNeighbours(nullptr, m_endMinute);
    m_endMinute->setNeighbours(m_endHour, nullptr);

    QGroupBox* modes = PlacedWidget<QGroupBox>(this, "分组框4", QRect(486, 235, 144, 64), QString());
    m_fixedPoint
        = PlacedWidget<QRadioButton>(modes, "单选框定点刷新", QRect(3, 10, 110, 24), QStringLiteral("定点刷新"));
    m_batchRotation
        = PlacedWidget<QRadioButton>(modes, "单选框批量轮换", QRect(4, 37, 114, 24), QStringLiteral("批量轮换"));
    m_batchRotation->setChecked(true);
    auto* modeGroup = new QButtonGroup(this);
    modeGroup->addButton(m_fixedPoint);
    modeGroup->addButton(m_batchRotation);

    m_saveButton = makeButton(this, "按钮保存方案", QStringLiteral("保存方案"), 496, 400, 80, 32);
    m_hint = makeLabel(this, "标签提示", QStringLiteral("提示栏"), 5, 444, 240, 20);

    const QList<QWidget*> tabOrder = { m_nameBox, m_sale, m_rent, m_idBox, m_pickButton, m_startHour, m_startMinute,
        m_endHour, m_endMinute, m_intervalBox, m_countBox, m_filterBox, m_generateButton, m_countButton, m_fixedPoint,
        m_batchRotation, m_timesBox, m_saveButton };
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));
}

void PlanEditorWindow::loadCalculatorSettings()
{
    // Each box writes its text back, trimmed, as soon as it is set.
    for (NumberBox* box : { m_startHour, m_endHour, m_startMinute, m_endMinute, m_countBox })
        box->setProgramText(m_settings.ReadSetting(kSettingsSection, box->objectName()));
}

void PlanEditorWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_firstShowDone)
        return;
    m_firstShowDone = true;
    loadPlanToEdit();
}

void PlanEditorWindow::loadPlanToEdit()
{
    if (m_state.PlanNameToEdit.isEmpty())
        return;
    const RefreshPlan plan = m_store.LoadPlan(m_state.PlanNameToEdit);
    m_nameBox->setText(plan.nick);
    m_timesBox->setPlainText(plan.times);
    m_idBox->setPlainText(plan.id);
    m_intervalBox->setProgramText(plan.interval);
    if (plan.nick.isEmpty()) {
        m_batchRotation->setChecked(true);
        m_rent->setChecked(true);
        return;
    }
    // Set, not clicked: the count box keeps its enabled state.
    (plan.sort == u"1" ? m_fixedPoint : m_batchRotation)->setChecked(true);
    (plan.sort1 == u"1" ? m_sale : m_rent)->setChecked(true);
}

void PlanEditorWindow::pickListings()
{
    const QString businessType = m_sale->isChecked() ? QStringLiteral("cs") : QStringLiteral("cz");
    m_state.ExtractStartUrl = QStringLiteral("http://") + m_hosts.AgentHost
        + QStringLiteral("/magent/house/houselist.aspx?businesstype=") + businessType;
    if (m_pickListings)
        m_pickListings(m_state.ExtractStartUrl);
    m_idBox->setPlainText(MergeCollectedIds(m_idBox->toPlainText(), m_state.CollectedIdText));
}

int PlanEditorWindow::selectedMode() const
{
    if (m_fixedPoint->isChecked())
        return 1;
    if (m_batchRotation->isChecked())
        return 2;
    return 0;
}

void PlanEditorWindow::savePlan()
{
    RefreshPlan plan;
    plan.nick = TrimSpaces(m_nameBox->text());
    if (plan.nick.isEmpty()) {
        m_messages.showMessage(QStringLiteral("请填写方案名称"));
        return;
    }
    plan.id = TrimSpaces(m_idBox->toPlainText());
    if (plan.id.isEmpty()) {
        m_messages.showMessage(QStringLiteral("请选择需要刷新的信息id"));
        return;
    }
    plan.times = TrimSpaces(m_timesBox->toPlainText());
    if (plan.times.isEmpty()) {
        m_messages.showMessage(QStringLiteral("请选择需要刷新的时间节点"));
        return;
    }
    const int mode = selectedMode();
    if (mode == 2) {
        plan.num = m_countBox->text();
        if (plan.num.isEmpty()) {
            m_messages.showMessage(QStringLiteral("请填写刷新的次数"));
            return;
        }
    }
    plan.sort = QString::number(mode);
    plan.sort1 = m_sale->isChecked() ? QStringLiteral("1") : QStringLiteral("2");
    plan.numall = QString::number(CountPlannedRefreshes(plan.times, plan.id, NumberFromText(plan.num), mode));
    // One transaction: a failing insert leaves the plan that was saved before.
    const bool saved = m_store.ReplacePlan(plan);
    m_messages.showMessage(saved ? QStringLiteral("保存成功") : QStringLiteral("保存失败"));
}

void PlanEditorWindow::generateTimeNodes()
{
    const TimeNodeGeneration generated = GenerateTimeNodesFromInputs(m_startHour->text(), m_startMinute->text(),
        m_endHour->text(), m_endMinute->text(), m_intervalBox->text(), m_filterBox->text());
    if (!generated.message.isEmpty()) {
        m_messages.showMessage(generated.message);
        return;
    }
    m_timesBox->setPlainText(generated.nodes);
}

void PlanEditorWindow::showRefreshCount()
{
    m_hint->setText(
        PlannedRefreshesText(m_timesBox->toPlainText(), m_idBox->toPlainText(), m_countBox->text(), selectedMode()));
}
