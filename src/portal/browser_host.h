#pragma once

#include <QByteArray>
#include <QNetworkCookie>
#include <QString>

#include <functional>

struct AppState;
struct PortalHosts;
class QDialog;
class QWidget;

// The embedded browser lives in a module of its own, loaded at the first opening of the
// login window, so a program that never opens it never loads the browser engine. The
// two sides meet only through these two interfaces.

// What the browser side uses of the program.
class BrowserHost
{
public:
    virtual ~BrowserHost() = default;
    virtual AppState& state() = 0;
    virtual const PortalHosts& hosts() const = 0;
    // The program's data/ folder; the browser keeps its storage below it.
    virtual QString dataDir() const = 0;
    // HttpRequest with the URL alone: the body, the time-out text or nothing.
    virtual QByteArray httpGet(const QString& url) = 0;
    virtual QString readSetting(const QString& section, const QString& key) = 0;
    virtual void writeSetting(const QString& section, const QString& key, const QString& value) = 0;
    virtual void showMessage(const QString& text) = 0;
    // The shared cookie jar. Changes made here are not announced back to the browser.
    virtual QList<QNetworkCookie> jarCookies() = 0;
    virtual void insertJarCookieQuietly(const QNetworkCookie& cookie) = 0;
    virtual void deleteJarCookieQuietly(const QNetworkCookie& cookie) = 0;
};

// The browser side: its profile, cookie store and the login window. Made once, kept
// until the program ends.
class BrowserSession
{
public:
    virtual ~BrowserSession() = default;
    // The jar gained or lost a cookie (not through insertJarCookieQuietly).
    virtual void jarCookieAdded(const QNetworkCookie& cookie) = 0;
    virtual void jarCookieRemoved(const QNetworkCookie& cookie) = 0;
    // Shows "登录提取" modally over parent, at the host's ExtractStartUrl; returns when
    // it has closed. opened is called with the window before it runs.
    virtual void runLoginExtractWindow(QWidget* parent, const std::function<void(QDialog*)>& opened) = 0;
};

using BrowserSessionFactory = BrowserSession* (*)(BrowserHost& host);

// The module's entry point.
#define TAVREL_BROWSER_SESSION_FACTORY "tavrel_create_browser_session"
