#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// One agent account of the simulated portal.
struct PortalAccount
{
    QString user;
    QString password;
    QString agentId;
    QStringList saleIds; // businesstype cs
    QStringList rentIds; // businesstype cz
};

// One request as the simulator received it.
struct PortalRequest
{
    QString method;
    QString path; // as sent, without the query
    QString query; // as sent, without the "?"
    QString host; // the Host header
    QMap<QString, QString> cookies;
    QList<QPair<QString, QString>> headers;
    QByteArray body;

    // The first header of that name (case-insensitive); empty when absent.
    QString header(const QString& name) const;
    // A query parameter, percent-decoded (as UTF-8); empty when absent.
    QString queryItem(const QString& key) const;
};

// The Domora portal on 127.0.0.1, served by cpp-httplib on its own thread: the public
// agent site, the sign-in page, the back office's top frame and list pages, and the
// listing refresh action. One port serves all three hosts. Every page is GBK.
//
// Built with the demo data (account "demo", password "demo123", agent 80001, 45 sale
// and 25 rent listings). All knobs may be turned while the server runs.
class PortalSimulator
{
public:
    PortalSimulator();
    ~PortalSimulator();
    PortalSimulator(const PortalSimulator&) = delete;
    PortalSimulator& operator=(const PortalSimulator&) = delete;

    // Listens on 127.0.0.1; port 0 takes any free port. False when the port is taken.
    bool start(quint16 port = 0);
    void stop();
    bool isRunning() const;
    quint16 port() const;
    // "127.0.0.1:port", the value of each of the three portal hosts.
    QString hostPort() const;
    // "http://127.0.0.1:port"
    QString baseUrl() const;

    static PortalAccount demoAccount();
    void setAccounts(const QList<PortalAccount>& accounts);
    void addAccount(const PortalAccount& account);

    // The next count refreshes of the listing fail with message.
    void failFirstRefreshes(const QString& listingId, int count,
        const QString& message = QStringLiteral("系统繁忙，刷新失败，请稍后再试！"));
    // Every answer waits this long first (0: none).
    void setResponseDelay(int milliseconds);
    // At most limit successful refreshes of the listing a day; beyond that, message.
    void setDailyRefreshLimit(
        const QString& listingId, int limit, const QString& message = QStringLiteral("该房源今日刷新次数已用完！"));
    // A header added to every answer (to try long header blocks, for instance).
    void addResponseHeader(const QString& name, const QString& value);
    // The day that the daily limits count by (the system's date unless set).
    void setDateSource(std::function<QDate()> today);

    // Signs the account in without the sign-in page and returns its "name=value" cookie
    // (empty for an unknown account).
    QString signInCookie(const QString& user);
    // Ends every sign-in.
    void signOutAll();

    QList<PortalRequest> requests() const;
    void clearRequests();
    // Successful refreshes of a listing since the start.
    int refreshCount(const QString& listingId) const;

    // Names of the sign-in cookies: the persistent one and the session one.
    static QString persistentCookieName();
    static QString sessionCookieName();
    static QString signInPath(); // "/login.aspx"

private:
    struct State;
    std::unique_ptr<State> d;
};
