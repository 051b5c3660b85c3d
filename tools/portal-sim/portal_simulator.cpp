#include "portal_simulator.h"

#include "common/gbk.h"

#include <QDateTime>
#include <QLocale>
#include <QUrl>
#include <QUrlQuery>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <httplib.h>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

namespace {

constexpr int kPageSize = 20;

QString html(const QString& title, const QString& body)
{
    return QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"
                          "<title>")
        + title + QStringLiteral("</title></head><body>") + body + QStringLiteral("</body></html>");
}

QString alertPage(const QString& message)
{
    return html(QStringLiteral("刷新房源"),
        QStringLiteral("<script>alert('") + message + QStringLiteral("');history.back();</script>"));
}

QString notSignedInPage()
{
    return html(
        QStringLiteral("请先登录"), QStringLiteral("<p>请先登录！</p><p><a href=\"/login.aspx\">经纪人登录</a></p>"));
}

void addSetCookie(httplib::Response& res, const QString& cookie)
{
    res.set_header("Set-Cookie", cookie.toStdString());
}

QString decodeComponent(const std::string& raw)
{
    QByteArray bytes = QByteArray::fromStdString(raw);
    bytes.replace('+', ' ');
    return QString::fromUtf8(QByteArray::fromPercentEncoding(bytes));
}

// Form fields come in the page's encoding (GBK), percent-encoded.
QMap<QString, QString> formFields(const std::string& body)
{
    QMap<QString, QString> fields;
    const QList<QByteArray> pairs = QByteArray::fromStdString(body).split('&');
    for (const QByteArray& pair : pairs) {
        const qsizetype eq = pair.indexOf('=');
        QByteArray key = eq < 0 ? pair : pair.left(eq);
        QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        key.replace('+', ' ');
        value.replace('+', ' ');
        fields.insert(FromGbk(QByteArray::fromPercentEncoding(key)), FromGbk(QByteArray::fromPercentEncoding(value)));
    }
    return fields;
}

QMap<QString, QString> parseCookies(const std::string& header)
{
    QMap<QString, QString> cookies;
    const QStringList parts = QString::fromStdString(header).split(u';');
    for (const QString& part : parts) {
        const QString item = part.trimmed();
        const qsizetype eq = item.indexOf(u'=');
        if (eq > 0)
            cookies.insert(item.left(eq), item.mid(eq + 1));
    }
    return cookies;
}

QString listingTitle(int index, bool rent)
{
    static const char16_t* const estates[]
        = { u"阳光花园", u"翠湖苑", u"金桂小区", u"滨江一号", u"东方明珠城", u"和平里", u"锦绣家园", u"紫荆公寓" };
    const QString estate = QString::fromUtf16(estates[index % 8]);
    const int rooms = 1 + index % 4;
    const int area = 45 + (index * 7) % 90;
    return estate
        + QStringLiteral(" %1室%2厅 %3平米 %4")
              .arg(rooms)
              .arg(1 + index % 2)
              .arg(area)
              .arg(rent ? QStringLiteral("出租") : QStringLiteral("出售"));
}

} // namespace

QString PortalRequest::header(const QString& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QString PortalRequest::queryItem(const QString& key) const
{
    const QStringList pairs = query.split(u'&');
    for (const QString& pair : pairs) {
        const qsizetype eq = pair.indexOf(u'=');
        const QString name = eq < 0 ? pair : pair.left(eq);
        if (name == key)
            return eq < 0 ? QString() : decodeComponent(pair.mid(eq + 1).toStdString());
    }
    return {};
}

struct PortalSimulator::State
{
    mutable std::mutex mutex;
    QList<PortalAccount> accounts;
    QMap<QString, QString> tokens; // sign-in token -> user
    QMap<QString, QPair<int, QString>> failures;
    QMap<QString, QPair<int, QString>> dailyLimits;
    QMap<QPair<QString, QDate>, int> refreshesByDay;
    QMap<QString, int> refreshes;
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    QList<PortalRequest> requests;
    QList<QPair<QString, QString>> extraHeaders;
    std::atomic<int> delayMs { 0 };
    std::mt19937_64 random { std::random_device {}() };

    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    std::atomic<bool> stopping { false };
    std::condition_variable stopSignal;
    quint16 port = 0;

    void handle(const httplib::Request& req, httplib::Response& res);
    void record(const httplib::Request& req);
    void waitDelay();
    // The signed-in account of a request; nullptr when nobody is signed in.
    const PortalAccount* signedIn(const QMap<QString, QString>& cookies) const;
    QString newToken(const QString& user);
    QString listPage(const PortalAccount& account, bool rent, int page) const;
    QString refresh(const PortalAccount& account, const QString& listingId, const QString& agentId);
};

void PortalSimulator::State::record(const httplib::Request& req)
{
    PortalRequest r;
    r.method = QString::fromStdString(req.method);
    const std::string& target = req.target;
    const auto q = target.find('?');
    r.path = QString::fromStdString(target.substr(0, q));
    r.query = q == std::string::npos ? QString() : QString::fromStdString(target.substr(q + 1));
    r.host = QString::fromStdString(req.get_header_value("Host"));
    r.cookies = parseCookies(req.get_header_value("Cookie"));
    for (const auto& [name, value] : req.headers)
        r.headers.append({ QString::fromStdString(name), QString::fromStdString(value) });
    r.body = QByteArray::fromStdString(req.body);
    std::lock_guard lock(mutex);
    requests.append(std::move(r));
}

void PortalSimulator::State::waitDelay()
{
    const int ms = delayMs.load();
    if (ms <= 0)
        return;
    // A slow answer must not hold up stop(): the wait ends early when the server stops.
    std::unique_lock lock(mutex);
    stopSignal.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping.load(); });
}

const PortalAccount* PortalSimulator::State::signedIn(const QMap<QString, QString>& cookies) const
{
    for (const QString& name : { persistentCookieName(), sessionCookieName() }) {
        const auto token = tokens.constFind(cookies.value(name));
        if (token == tokens.constEnd())
            continue;
        for (const PortalAccount& account : accounts) {
            if (account.user == *token)
                return &account;
        }
    }
    return nullptr;
}

QString PortalSimulator::State::newToken(const QString& user)
{
    const QString token = QString::number(random(), 16).rightJustified(16, u'0').toUpper();
    tokens.insert(token, user);
    return token;
}

QString PortalSimulator::State::listPage(const PortalAccount& account, bool rent, int page) const
{
    const QStringList& ids = rent ? account.rentIds : account.saleIds;
    const QString type = rent ? QStringLiteral("cz") : QStringLiteral("cs");
    const int pages = std::max<int>(1, int((ids.size() + kPageSize - 1) / kPageSize));
    page = std::clamp(page, 1, pages);
    QString body = QStringLiteral("<h2>") + (rent ? QStringLiteral("出租房源") : QStringLiteral("出售房源"))
        + QStringLiteral("</h2><p><a href=\"/magent/house/houselist.aspx?businesstype=cs\">出售房源</a> | "
                         "<a href=\"/magent/house/houselist.aspx?businesstype=cz\">出租房源</a> | "
                         "<a href=\"/magent/logout.aspx\">退出登录</a></p>"
                         "<table border=1><tr><th><input type=checkbox name=checkall "
                         "id=checkall>全选</th><th>房源编号</th><th>标题</th></tr>");
    for (int i = (page - 1) * kPageSize; i < std::min<int>(int(ids.size()), page * kPageSize); ++i) {
        body += QStringLiteral("<tr><td><input type=checkbox name=selectitem value=") + ids.at(i)
            + QStringLiteral("></td><td>") + ids.at(i) + QStringLiteral("</td><td>") + listingTitle(i, rent)
            + QStringLiteral("</td></tr>");
    }
    body += QStringLiteral("</table><p>共 %1 条 第 %2/%3 页 ").arg(ids.size()).arg(page).arg(pages);
    for (int p = 1; p <= pages; ++p) {
        if (p == page)
            body += QStringLiteral("[%1] ").arg(p);
        else
            body += QStringLiteral("<a href=\"/magent/house/houselist.aspx?businesstype=%1&page=%2\">%2</a> ")
                        .arg(type)
                        .arg(p);
    }
    body += QStringLiteral("</p>");
    return html(QStringLiteral("房源管理"), body);
}

QString PortalSimulator::State::refresh(const PortalAccount& account, const QString& listingId, const QString& agentId)
{
    if (!account.saleIds.contains(listingId) && !account.rentIds.contains(listingId))
        return alertPage(QStringLiteral("房源不存在或已删除！"));
    if (agentId != account.agentId)
        return alertPage(QStringLiteral("您无权刷新该房源！"));
    if (auto failure = failures.find(listingId); failure != failures.end() && failure->first > 0) {
        --failure->first;
        return alertPage(failure->second);
    }
    const QPair<QString, QDate> dayKey { listingId, today() };
    if (auto limit = dailyLimits.constFind(listingId);
        limit != dailyLimits.constEnd() && refreshesByDay.value(dayKey) >= limit->first)
        return alertPage(limit->second);
    ++refreshesByDay[dayKey];
    ++refreshes[listingId];
    return alertPage(QStringLiteral("刷新成功！"));
}

void PortalSimulator::State::handle(const httplib::Request& req, httplib::Response& res)
{
    record(req);
    waitDelay();
    if (stopping)
        return;

    const QString path = QString::fromStdString(req.path).toLower();
    const QMap<QString, QString> cookies = parseCookies(req.get_header_value("Cookie"));
    auto param = [&req](const char* key) { return QString::fromStdString(req.get_param_value(key)); };
    auto send = [&res](const QString& page, int status = 200) {
        res.status = status;
        // Through a provider of known length the page goes out uncompressed, as the
        // portal sends its dynamic pages (set_content would compress for any client
        // that accepts it).
        auto bytes = std::make_shared<QByteArray>(ToGbk(page));
        res.set_content_provider(size_t(bytes->size()), "text/html; charset=gbk",
            [bytes](size_t offset, size_t length, httplib::DataSink& sink) {
                return sink.write(bytes->constData() + offset, length);
            });
    };

    std::unique_lock lock(mutex);
    for (const auto& [name, value] : std::as_const(extraHeaders))
        res.set_header(name.toStdString(), value.toStdString());
    const PortalAccount* account = signedIn(cookies);

    if (path == u"/" || path == u"/default.aspx" || path == u"/index.aspx") {
        send(html(QStringLiteral("Domora网 经纪人之家"),
            QStringLiteral("<h1>Domora网 经纪人之家</h1><p><a href=\"/login.aspx\">经纪人登录</a></p>")));
        return;
    }
    if (path == u"/login.aspx") {
        QString error;
        if (req.method == "POST") {
            const QMap<QString, QString> fields = formFields(req.body);
            const QString user = fields.value(QStringLiteral("username"));
            const QString password = fields.value(QStringLiteral("password"));
            for (const PortalAccount& known : std::as_const(accounts)) {
                if (known.user != user || known.password != password)
                    continue;
                const QDateTime expiry = QDateTime::currentDateTimeUtc().addDays(30);
                const QString expires
                    = QLocale::c().toString(expiry, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"));
                addSetCookie(res,
                    persistentCookieName() + u'=' + newToken(user) + QStringLiteral("; expires=") + expires
                        + QStringLiteral("; path=/"));
                addSetCookie(res, sessionCookieName() + u'=' + newToken(user) + QStringLiteral("; path=/; HttpOnly"));
                res.set_redirect("/magent/default.aspx", 302);
                return;
            }
            error = QStringLiteral("<p style=\"color:red\">账号或密码错误！</p>");
        }
        QString hint;
        for (const PortalAccount& known : std::as_const(accounts)) {
            if (known.user == demoAccount().user)
                hint = QStringLiteral("<p>演示账号：") + known.user + QStringLiteral("　密码：") + known.password
                    + QStringLiteral("</p>");
        }
        send(html(QStringLiteral("Domora帮登录"),
            QStringLiteral("<h1>Domora帮 经纪人登录</h1>") + error
                + QStringLiteral("<form method=\"post\" action=\"/login.aspx\">"
                                 "<p>账号：<input type=\"text\" name=\"username\" id=\"username\"></p>"
                                 "<p>密码：<input type=\"password\" name=\"password\" id=\"password\"></p>"
                                 "<p><input type=\"submit\" value=\"登录\"></p></form>")
                + hint));
        return;
    }
    if (path == u"/magent/logout.aspx") {
        tokens.remove(cookies.value(persistentCookieName()));
        tokens.remove(cookies.value(sessionCookieName()));
        const QString expired = QStringLiteral("=; expires=Thu, 01 Jan 1970 00:00:00 GMT; path=/");
        addSetCookie(res, persistentCookieName() + expired);
        addSetCookie(res, sessionCookieName() + expired);
        res.set_redirect("/", 302);
        return;
    }
    if (!path.startsWith(u"/magent/")) {
        send(html(QStringLiteral("页面不存在"), QStringLiteral("<p>页面不存在。</p>")), 404);
        return;
    }
    if (!account) {
        send(notSignedInPage());
        return;
    }
    if (path == u"/magent/default.aspx" || path == u"/magent/" || path == u"/magent/index.aspx") {
        send(html(QStringLiteral("经纪人后台"),
            QStringLiteral("<iframe src=\"/magent/top.aspx\" width=\"100%\" height=\"60\"></iframe>"
                           "<p><a href=\"/magent/house/houselist.aspx?businesstype=cs\">出售房源</a> | "
                           "<a href=\"/magent/house/houselist.aspx?businesstype=cz\">出租房源</a> | "
                           "<a href=\"/magent/logout.aspx\">退出登录</a></p>")));
        return;
    }
    if (path == u"/magent/top.aspx") {
        send(html(QStringLiteral("经纪人后台"),
            QStringLiteral("<script type=\"text/javascript\">var agentInfo = { AgentId: '") + account->agentId
                + QStringLiteral("', UserName: '") + account->user + QStringLiteral("' };</script><p>欢迎您，")
                + account->user + QStringLiteral(" <a href=\"/magent/logout.aspx\" target=\"_top\">退出登录</a></p>")));
        return;
    }
    if (path == u"/magent/house/houselist.aspx") {
        const bool rent = param("businesstype").compare(QStringLiteral("cz"), Qt::CaseInsensitive) == 0;
        const int page = param("page").toInt();
        send(listPage(*account, rent, page > 0 ? page : 1));
        return;
    }
    if (path == u"/magent/house/houselistaction.aspx") {
        if (param("action").compare(QStringLiteral("refhouse"), Qt::CaseInsensitive) != 0) {
            send(alertPage(QStringLiteral("未知的操作！")));
            return;
        }
        send(refresh(*account, param("houseid"), param("agentid")));
        return;
    }
    send(html(QStringLiteral("页面不存在"), QStringLiteral("<p>页面不存在。</p>")), 404);
}

PortalSimulator::PortalSimulator()
    : d(std::make_unique<State>())
{
    d->accounts.append(demoAccount());
}

PortalSimulator::~PortalSimulator()
{
    stop();
}

bool PortalSimulator::start(quint16 port)
{
    if (isRunning())
        return true;
    d->stopping = false;
    d->server = std::make_unique<httplib::Server>();
    // Keep-alive for as many requests as a client wants, as the real portal's front end
    // does. An idle connection is dropped after a second: stop() waits for that.
    d->server->set_keep_alive_max_count(1000000);
    d->server->set_keep_alive_timeout(1);
    // Headers and body go out in separate writes; without this each answer waits for
    // the client's delayed acknowledgement (some 40 ms on loopback).
    d->server->set_tcp_nodelay(true);
    // The library's default shares the port (SO_REUSEPORT), so a second simulator on the
    // same port would silently take half of the connections. Reuse only the address.
    d->server->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    auto handler = [this](const httplib::Request& req, httplib::Response& res) { d->handle(req, res); };
    d->server->Get(".*", handler);
    d->server->Post(".*", handler);
    int bound = -1;
    if (port == 0)
        bound = d->server->bind_to_any_port("127.0.0.1");
    else if (d->server->bind_to_port("127.0.0.1", port))
        bound = port;
    if (bound <= 0) {
        d->server.reset();
        return false;
    }
    d->port = quint16(bound);
    d->thread = std::thread([server = d->server.get()] { server->listen_after_bind(); });
    // stop() only reaches a server that has begun listening; wait for that here so a
    // start followed at once by a stop cannot leave the thread running.
    while (!d->server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void PortalSimulator::stop()
{
    if (!d->server)
        return;
    {
        std::lock_guard lock(d->mutex);
        d->stopping = true;
    }
    d->stopSignal.notify_all();
    d->server->stop();
    if (d->thread.joinable())
        d->thread.join();
    d->server.reset();
    d->port = 0;
}

bool PortalSimulator::isRunning() const
{
    return d->server != nullptr;
}

quint16 PortalSimulator::port() const
{
    return d->port;
}

QString PortalSimulator::hostPort() const
{
    return QStringLiteral("127.0.0.1:") + QString::number(d->port);
}

QString PortalSimulator::baseUrl() const
{
    return QStringLiteral("http://") + hostPort();
}

PortalAccount PortalSimulator::demoAccount()
{
    PortalAccount account;
    account.user = QStringLiteral("demo");
    account.password = QStringLiteral("demo123");
    account.agentId = QStringLiteral("80001");
    for (int i = 0; i < 45; ++i)
        account.saleIds.append(QString::number(1020301 + 37 * i));
    for (int i = 0; i < 25; ++i)
        account.rentIds.append(QString::number(20456012 + 53 * i));
    return account;
}

void PortalSimulator::setAccounts(const QList<PortalAccount>& accounts)
{
    std::lock_guard lock(d->mutex);
    d->accounts = accounts;
}

void PortalSimulator::addAccount(const PortalAccount& account)
{
    std::lock_guard lock(d->mutex);
    d->accounts.append(account);
}

void PortalSimulator::failFirstRefreshes(const QString& listingId, int count, const QString& message)
{
    std::lock_guard lock(d->mutex);
    d->failures.insert(listingId, { count, message });
}

void PortalSimulator::setResponseDelay(int milliseconds)
{
    d->delayMs = milliseconds;
}

void PortalSimulator::setDailyRefreshLimit(const QString& listingId, int limit, const QString& message)
{
    std::lock_guard lock(d->mutex);
    d->dailyLimits.insert(listingId, { limit, message });
}

void PortalSimulator::addResponseHeader(const QString& name, const QString& value)
{
    std::lock_guard lock(d->mutex);
    d->extraHeaders.append({ name, value });
}

void PortalSimulator::setDateSource(std::function<QDate()> today)
{
    std::lock_guard lock(d->mutex);
    d->today = std::move(today);
}

QString PortalSimulator::signInCookie(const QString& user)
{
    std::lock_guard lock(d->mutex);
    for (const PortalAccount& account : std::as_const(d->accounts)) {
        if (account.user == user)
            return persistentCookieName() + u'=' + d->newToken(user);
    }
    return {};
}

void PortalSimulator::signOutAll()
{
    std::lock_guard lock(d->mutex);
    d->tokens.clear();
}

QList<PortalRequest> PortalSimulator::requests() const
{
    std::lock_guard lock(d->mutex);
    return d->requests;
}

void PortalSimulator::clearRequests()
{
    std::lock_guard lock(d->mutex);
    d->requests.clear();
}

int PortalSimulator::refreshCount(const QString& listingId) const
{
    std::lock_guard lock(d->mutex);
    return d->refreshes.value(listingId);
}

QString PortalSimulator::persistentCookieName()
{
    return QStringLiteral("DomoraAuth");
}

QString PortalSimulator::sessionCookieName()
{
    return QStringLiteral("ASP.NET_SessionId");
}

QString PortalSimulator::signInPath()
{
    return QStringLiteral("/login.aspx");
}
