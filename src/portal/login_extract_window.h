#pragma once

#include <QDialog>
#include <QString>

class BrowserHost;
class DocumentAutomation;
class QGroupBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QTimer;
class QWebEngineProfile;
class QWebEngineView;

// What the login window works with; all of it outlives the window.
struct LoginWindowServices
{
    BrowserHost& host;
    DocumentAutomation& automation;
    QWebEngineProfile& profile;
};

// "登录提取": the embedded browser in which the agent signs in to the portal, confirms
// the sign-in ("我已登录" captures AgentId) and ticks listings to collect
// (CollectedIdText). It closes only through "我已登录" after a good check, "保存提取" and
// "取消"; the close box is refused.
class LoginExtractWindow : public QDialog
{
    Q_OBJECT
public:
    // The title by which the portal's sign-in page is recognised.
    static inline const QString SignInPageTitle = QStringLiteral("Domora帮登录");
    static constexpr int WatcherIntervalMs = 500;
    // A password longer than this (in GBK bytes) is never remembered.
    static constexpr int MaxRememberedPasswordBytes = 20;

    explicit LoginExtractWindow(LoginWindowServices services, QWidget* parent = nullptr);
    ~LoginExtractWindow() override;

    QWebEngineView* browser() const { return m_browser; }
    // Opens url in the browser.
    void navigate(const QString& url);
    // True once the first-shown check has been made and the start page chosen.
    bool startPageChosen() const { return m_startPageChosen; }
    // Watcher passes completed so far in this opening.
    int watcherPasses() const { return m_watcherPasses; }
    QLabel* statusPanel(int index) const { return index == 0 ? m_statusPanel0 : m_statusPanel1; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void onFirstShown();
    void onWatcherTick();
    void onLoginCheck();
    void onExtract();
    void onSaveExtraction();
    void onCancelExtraction();
    void closeWith(int result);

    LoginWindowServices m_services;
    QGroupBox* m_group = nullptr;
    QPushButton* m_loginButton = nullptr;
    QPushButton* m_extractButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_openSaleButton = nullptr;
    QPushButton* m_openRentButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusPanel0 = nullptr;
    QLabel* m_statusPanel1 = nullptr;
    QWebEngineView* m_browser = nullptr;
    QTimer* m_watcher = nullptr;

    int m_watcherPasses = 0;
    bool m_shownOnce = false;
    bool m_startPageChosen = false;
    bool m_signInFilled = false;
    bool m_tickRunning = false;
    bool m_extracting = false;
    bool m_closeAllowed = false;
    QString m_rememberedUser;
    QString m_rememberedPass;
};
