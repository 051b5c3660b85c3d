#include "http/persistent_cookie_jar.h"

#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The shared cookie store: what it keeps across a restart and what it tells the browser.
class TestCookieJar : public QObject
{
    Q_OBJECT

private slots:
    void keepsPersistentCookiesOnly();
    void damagedFileLoadsWhatItCan();
    void announcesChanges();
    void quietChangesAreNotAnnounced();

private:
    static QList<QNetworkCookie> parse(const QByteArray& line)
    {
        return QNetworkCookie::parseCookies(line);
    }
    static QUrl origin()
    {
        return QUrl(QStringLiteral("http://127.0.0.1/"));
    }
};

void TestCookieJar::keepsPersistentCookiesOnly()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("data/cookies.txt"));
    const QString expires = QDateTime::currentDateTimeUtc().addDays(7).toString(Qt::RFC2822Date);
    {
        PersistentCookieJar jar(file);
        jar.setCookiesFromUrl(parse("session=1; path=/"), origin());
        jar.setCookiesFromUrl(parse(QByteArray("kept=2; path=/; expires=") + expires.toLatin1()), origin());
        jar.setCookiesFromUrl(parse("domain=3; domain=.example.org; path=/; max-age=3600"),
            QUrl(QStringLiteral("http://www.example.org/")));
        QVERIFY(jar.save());
    }
    PersistentCookieJar reopened(file);
    QStringList names;
    const QList<QNetworkCookie> all = reopened.cookies();
    for (const QNetworkCookie& cookie : all)
        names.append(QString::fromLatin1(cookie.name()));
    names.sort();
    QCOMPARE(names, QStringList({ QStringLiteral("domain"), QStringLiteral("kept") }));
    // Host-only stays host-only; the domain cookie still serves sub-domains.
    QCOMPARE(reopened.cookiesForUrl(origin()).size(), 1);
    QCOMPARE(reopened.cookiesForUrl(QUrl(QStringLiteral("http://127.0.0.2/"))).size(), 0);
    QCOMPARE(reopened.cookiesForUrl(QUrl(QStringLiteral("http://a.example.org/"))).size(), 1);
}

void TestCookieJar::damagedFileLoadsWhatItCan()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("cookies.txt"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("garbage without equals\n\x01\x02\n"
              "old=1; expires=Thu, 01 Jan 2015 00:00:00 GMT; domain=127.0.0.1; path=/\n"
              "good=2; max-age=600; domain=127.0.0.1; path=/\n");
    out.close();
    PersistentCookieJar jar(file);
    const QList<QNetworkCookie> all = jar.cookies();
    QCOMPARE(all.size(), 1);
    QCOMPARE(all.first().name(), QByteArray("good"));
    QCOMPARE(jar.cookiesForUrl(origin()).size(), 1);
}

void TestCookieJar::announcesChanges()
{
    PersistentCookieJar jar({});
    QSignalSpy added(&jar, &PersistentCookieJar::cookieAdded);
    QSignalSpy removed(&jar, &PersistentCookieJar::cookieRemoved);
    jar.setCookiesFromUrl(parse("a=1; path=/"), origin());
    QCOMPARE(added.size(), 1);
    QCOMPARE(removed.size(), 0);
    // A new value replaces the cookie: removed, then added.
    jar.setCookiesFromUrl(parse("a=2; path=/"), origin());
    QCOMPARE(added.size(), 2);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(added.last().first().value<QNetworkCookie>().value(), QByteArray("2"));
    // An expired cookie deletes it.
    jar.setCookiesFromUrl(parse("a=; path=/; expires=Thu, 01 Jan 1970 00:00:00 GMT"), origin());
    QCOMPARE(added.size(), 2);
    QCOMPARE(removed.size(), 2);
    QVERIFY(jar.cookies().isEmpty());
}

void TestCookieJar::quietChangesAreNotAnnounced()
{
    PersistentCookieJar jar({});
    QSignalSpy added(&jar, &PersistentCookieJar::cookieAdded);
    QSignalSpy removed(&jar, &PersistentCookieJar::cookieRemoved);
    QNetworkCookie fromBrowser("b", "1");
    fromBrowser.setDomain(QStringLiteral("127.0.0.1"));
    fromBrowser.setPath(QStringLiteral("/"));
    QVERIFY(jar.insertCookieQuietly(fromBrowser));
    QVERIFY(jar.insertCookieQuietly(fromBrowser));
    QCOMPARE(jar.cookiesForUrl(origin()).size(), 1);
    QVERIFY(jar.deleteCookieQuietly(fromBrowser));
    QCOMPARE(added.size(), 0);
    QCOMPARE(removed.size(), 0);
    // Loud changes are announced again afterwards.
    jar.setCookiesFromUrl(parse("c=1"), origin());
    QCOMPARE(added.size(), 1);
}

QTEST_GUILESS_MAIN(TestCookieJar)
#include "test_cookie_jar.moc"
