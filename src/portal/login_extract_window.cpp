#include "portal/login_extract_window.h"

#include "common/app_state.h"
#include "common/gbk.h"
#include "common/placed_widget.h"
#include "common/text_helpers.h"
#include "pageauto/document_automation.h"
#include "portal/browser_host.h"
#include "portal/listing_extraction.h"
#include "portal/portal_urls.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

const QString SettingsSection = QStringLiteral("Domora网");
const QString UserKey = QStringLiteral("user");
const QString PassKey = QStringLiteral("pass");

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int x, int y)
{
    auto* button = PlacedWidget<QPushButton>(parent, name, QRect(x, y, 80, 32), caption);
    button->setAutoDefault(false);
    return button;
}

} // namespace

LoginExtractWindow::LoginExtractWindow(LoginWindowServices services, QWidget* parent)
    : QDialog(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("登录提取"));
    setWindowTitle(QStringLiteral("登录提取"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setAccessibleName(QStringLiteral("登录提取"));

    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("分组框1"));
    m_group->setAccessibleName(QStringLiteral("分组框1"));
    m_group->setGeometry(24, -6, 746, 49);
    m_loginButton = makeButton(m_group, "按钮我已登录", QStringLiteral("我已登录"), 6, 10);
    m_extractButton = makeButton(m_group, "按钮提取勾选", QStringLiteral("提取勾选"), 129, 10);
    m_saveButton = makeButton(m_group, "按钮保存提取到", QStringLiteral("保存提取"), 253, 10);
    m_openSaleButton = makeButton(m_group, "按钮打开出售", QStringLiteral("打开出售"), 461, 11);
    m_openRentButton = makeButton(m_group, "按钮打开出租", QStringLiteral("打开出租"), 560, 11);
    m_cancelButton = makeButton(m_group, "按钮取消提取", QStringLiteral("取消"), 660, 10);

    m_browser = new QWebEngineView(this);
    m_browser->setObjectName(QStringLiteral("互联网浏览器1"));
    m_browser->setAccessibleName(QStringLiteral("互联网浏览器1"));
    m_browser->setPage(new QWebEnginePage(&m_services.profile, m_browser));
    m_browser->setGeometry(1, 48, 800, 470);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("状态条1"));
    m_statusBar->setAccessibleName(QStringLiteral("状态条1"));
    m_statusBar->setSizeGripEnabled(false);
    m_statusPanel0 = new QLabel(QStringLiteral("状态栏"), m_statusBar);
    m_statusPanel0->setFixedWidth(50);
    m_statusPanel0->setAccessibleName(QStringLiteral("状态条1 面板0"));
    m_statusPanel1 = new QLabel(m_statusBar);
    m_statusPanel1->setFixedWidth(260);
    m_statusPanel1->setAccessibleName(QStringLiteral("状态条1 面板1"));
    m_statusBar->addWidget(m_statusPanel0);
    m_statusBar->addWidget(m_statusPanel1);
    m_statusBar->setGeometry(0, 514, 802, 20);

    connect(m_loginButton, &QPushButton::clicked, this, &LoginExtractWindow::onLoginCheck);
    connect(m_extractButton, &QPushButton::clicked, this, &LoginExtractWindow::onExtract);
    connect(m_saveButton, &QPushButton::clicked, this, &LoginExtractWindow::onSaveExtraction);
    connect(m_cancelButton, &QPushButton::clicked, this, &LoginExtractWindow::onCancelExtraction);
    connect(m_openSaleButton, &QPushButton::clicked, this,
            [this] { navigate(LegacySaleListUrl(m_services.host.hosts())); });
    connect(m_openRentButton, &QPushButton::clicked, this,
            [this] { navigate(LegacyRentListUrl(m_services.host.hosts())); });

    m_services.host.state().CollectedIdText.clear();
    // The watcher runs on this thread, where the browser lives; a tick that is still
    // waiting for the page is never entered again by the next one.
    m_watcher = new QTimer(this);
    m_watcher->setInterval(WatcherIntervalMs);
    connect(m_watcher, &QTimer::timeout, this, &LoginExtractWindow::onWatcherTick);
    m_watcher->start();

    move(50, 50);
    resize(808, 562);
}

LoginExtractWindow::~LoginExtractWindow()
{
    m_watcher->stop();
    m_services.automation.ReleaseDocument();
}

void LoginExtractWindow::navigate(const QString& url)
{
    m_browser->load(QUrl(url));
}

void LoginExtractWindow::reject()
{
    // Escape would close the dialog; only the three closing buttons may.
    if (m_closeAllowed)
        QDialog::reject();
}

void LoginExtractWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // After the window is on screen, so the wait for the check happens in view.
        QTimer::singleShot(0, this, &LoginExtractWindow::onFirstShown);
    }
}

void LoginExtractWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int browserWidth = width() - 10;
    m_browser->setGeometry(m_browser->x(), m_browser->y(), browserWidth, height() - 100);
    m_group->move((browserWidth - 750) / 2, m_group->y());
    m_statusBar->setGeometry(0, height() - m_statusBar->height(), width(), m_statusBar->height());
}

void LoginExtractWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeAllowed)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void LoginExtractWindow::onFirstShown()
{
    QPointer<LoginExtractWindow> self(this);
    const PortalHosts& hosts = m_services.host.hosts();
    const QString checkPage = FromGbk(m_services.host.httpGet(LegacySaleListUrl(hosts)));
    if (!self)
        return;
    const QString start = m_services.host.state().ExtractStartUrl;
    if (start != PublicStartUrl(hosts))
        navigate(start);
    else if (checkPage.contains(QStringLiteral("请先登录！")))
        navigate(PublicStartUrl(hosts));
    else
        navigate(LegacySaleListUrl(hosts));
    m_startPageChosen = true;
}

void LoginExtractWindow::onWatcherTick()
{
    if (m_tickRunning || m_extracting)
        return;
    m_tickRunning = true;
    QPointer<LoginExtractWindow> self(this);
    DocumentAutomation& page = m_services.automation;
    page.ReleaseDocument();
    page.AttachToBrowserWindow(m_browser);
    const QString title = page.DocumentTitle();
    if (!self)
        return;
    if (title == SignInPageTitle) {
        if (!m_signInFilled) {
            m_signInFilled = true;
            const QString user = m_services.host.readSetting(SettingsSection, UserKey);
            const QString pass = m_services.host.readSetting(SettingsSection, PassKey);
            page.SetInputBoxValue(QStringLiteral("1"), user);
            page.SetInputBoxValue(QStringLiteral("2"), pass);
            m_rememberedUser = user;
            m_rememberedPass = pass;
        } else {
            const QString user = page.InputBoxValue(QStringLiteral("1"));
            const QString pass = page.InputBoxValue(QStringLiteral("2"));
            if (!self)
                return;
            // Only what differs from the file is written, so an idle sign-in page does
            // not rewrite pz.ini twice a second.
            if (GbkByteLength(pass) <= MaxRememberedPasswordBytes && !user.isEmpty() && !pass.isEmpty()
                && (user != m_rememberedUser || pass != m_rememberedPass)) {
                m_services.host.writeSetting(SettingsSection, UserKey, user);
                m_services.host.writeSetting(SettingsSection, PassKey, pass);
                m_rememberedUser = user;
                m_rememberedPass = pass;
            }
        }
    }
    ++m_watcherPasses;
    m_tickRunning = false;
}

void LoginExtractWindow::onLoginCheck()
{
    QPointer<LoginExtractWindow> self(this);
    m_loginButton->setEnabled(false);
    const QString page = FromGbk(m_services.host.httpGet(AgentTopFrameUrl(m_services.host.hosts())));
    m_services.host.state().AgentId = TextBetween(page, QStringLiteral("AgentId: '"), QStringLiteral("'"));
    if (!self)
        return;
    m_loginButton->setEnabled(true);
    if (!m_services.host.state().AgentId.isEmpty()) {
        m_services.host.showMessage(QStringLiteral("登录状态 检测正常！"));
        if (self)
            closeWith(QDialog::Accepted);
    } else {
        m_services.host.showMessage(QStringLiteral("程序未检测到登录状态"));
    }
}

void LoginExtractWindow::onExtract()
{
    QPointer<LoginExtractWindow> self(this);
    m_extracting = true;
    m_extractButton->setEnabled(false);
    DocumentAutomation& page = m_services.automation;
    page.AttachToBrowserWindow(m_browser);
    const int count = page.CheckBoxCount();
    QList<ListingCheckBox> boxes;
    for (int i = 1; i <= count && self; ++i) {
        QString name;
        InputElement element;
        page.CheckBoxInfo(i, nullptr, &name, nullptr, nullptr, &element);
        const bool checked = page.IsCheckBoxChecked(QString::number(i));
        boxes.append({name, element.value, checked});
    }
    if (!self)
        return;
    m_services.host.state().CollectedIdText = ApplyExtraction(m_services.host.state().CollectedIdText, boxes);
    m_statusPanel1->setText(ExtractionStatusText(m_services.host.state().CollectedIdText));
    m_extractButton->setEnabled(true);
    m_extracting = false;
}

void LoginExtractWindow::onSaveExtraction()
{
    closeWith(QDialog::Accepted);
}

void LoginExtractWindow::onCancelExtraction()
{
    m_services.host.state().CollectedIdText.clear();
    closeWith(QDialog::Rejected);
}

void LoginExtractWindow::closeWith(int result)
{
    m_closeAllowed = true;
    m_watcher->stop();
    done(result);
}
