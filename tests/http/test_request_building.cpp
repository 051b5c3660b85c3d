#include "http/header_block.h"
#include "http/url_helpers.h"

#include <QtTest>

// The pure parts of a request: URL pieces and the header block.
class TestRequestBuilding : public QObject
{
    Q_OBJECT

private slots:
    void urlParts_data();
    void urlParts();
    void textBeforeFirst_data();
    void textBeforeFirst();
    void headerBlock_data();
    void headerBlock();
    void userAgent_data();
    void userAgent();
    void headerLines();
};

void TestRequestBuilding::urlParts_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("object");
    QTest::addColumn<int>("port");
    QTest::newRow("port and query") << QStringLiteral("http://host:8080/a?b=c") << QStringLiteral("host")
                                    << QStringLiteral("/a?b=c") << 8080;
    QTest::newRow("bare host") << QStringLiteral("http://host") << QStringLiteral("host") << QStringLiteral("/") << 80;
    QTest::newRow("upper-case host") << QStringLiteral("http://Agent.Domora.COM/Magent/X.aspx")
                                     << QStringLiteral("agent.domora.com") << QStringLiteral("/Magent/X.aspx") << 80;
    QTest::newRow("https") << QStringLiteral("https://secure.host/p") << QStringLiteral("secure.host")
                           << QStringLiteral("/p") << 443;
    QTest::newRow("https with port") << QStringLiteral("https://secure.host:8443/p") << QStringLiteral("secure.host")
                                     << QStringLiteral("/p") << 8443;
    QTest::newRow("https further on") << QStringLiteral("http://host/?next=https://x") << QStringLiteral("host")
                                      << QStringLiteral("/?next=https://x") << 80;
    QTest::newRow("path holding the host name")
        << QStringLiteral("http://ab/ab/c") << QStringLiteral("ab") << QStringLiteral("/ab/c") << 80;
    QTest::newRow("empty port") << QStringLiteral("http://host:/x") << QStringLiteral("host") << QStringLiteral("/x")
                                << 80;
    QTest::newRow("port out of range") << QStringLiteral("http://host:70000/") << QStringLiteral("host")
                                       << QStringLiteral("/") << 80;
    QTest::newRow("loopback") << QStringLiteral("http://127.0.0.1:18080/magent/top.aspx") << QStringLiteral("127.0.0.1")
                              << QStringLiteral("/magent/top.aspx") << 18080;
}

void TestRequestBuilding::urlParts()
{
    QFETCH(QString, url);
    QFETCH(QString, host);
    QFETCH(QString, object);
    QFETCH(int, port);
    QCOMPARE(UrlHost(url), host);
    QCOMPARE(UrlPathAndQuery(url), object);
    QCOMPARE(UrlPort(url), port);
}

void TestRequestBuilding::textBeforeFirst_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("before");
    QTest::newRow("found") << QStringLiteral("a=1; path=/") << QStringLiteral(";") << QStringLiteral("a=1");
    QTest::newRow("first of several") << QStringLiteral("a;b;c") << QStringLiteral(";") << QStringLiteral("a");
    QTest::newRow("missing") << QStringLiteral("c=3") << QStringLiteral(";") << QString();
    QTest::newRow("at the start") << QStringLiteral(";x") << QStringLiteral(";") << QString();
}

void TestRequestBuilding::textBeforeFirst()
{
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(QString, before);
    QCOMPARE(TextBeforeFirst(text, delimiter), before);
}

void TestRequestBuilding::headerBlock_data()
{
    const QString accept = QStringLiteral(
        "Accept: image/gif, image/bmp, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
        "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n");
    const QString url = QStringLiteral("http://host/a");
    const QString referer = QStringLiteral("Referer: http://host/a\r\n");
    const QString language = QStringLiteral("Accept-Language: zh-cn\r\n");
    const QString form = QStringLiteral("Content-Type: application/x-www-form-urlencoded\r\n");

    QTest::addColumn<QString>("extra");
    QTest::addColumn<bool>("post");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("cookies");
    QTest::addColumn<QString>("block");
    QTest::newRow("plain GET") << QString() << false << QByteArray() << QString() << accept + referer + language;
    QTest::newRow("Accept-Language alone suppresses Accept")
        << QStringLiteral("Accept-Language: en\r\n") << false << QByteArray() << QString()
        << QStringLiteral("Accept-Language: en\r\n") + referer;
    QTest::newRow("own Accept and Referer")
        << QStringLiteral("Accept: */*\r\nReferer: http://r/\r\n") << false << QByteArray() << QString()
        << QStringLiteral("Accept: */*\r\nReferer: http://r/\r\n") + language;
    QTest::newRow("RefererNo removes itself") << QStringLiteral("X-A: 1\r\nRefererNo\r\n") << false << QByteArray()
                                              << QString() << QStringLiteral("X-A: 1\r\n\r\n") + accept + language;
    QTest::newRow("GET with cookies") << QString() << false << QByteArray() << QStringLiteral("a=1; b=2")
                                      << accept + referer + language + QStringLiteral("Cookie: a=1; b=2\r\n\r\n");
    QTest::newRow("GET ignores a body") << QString() << false << QByteArrayLiteral("0123456789") << QString()
                                        << accept + referer + language;
    QTest::newRow("POST with body") << QString() << true << QByteArrayLiteral("0123456789") << QString()
                                    << accept + referer + language + form + QStringLiteral("Content-Length: 10\r\n");
    QTest::newRow("POST without body") << QString() << true << QByteArray() << QString() << accept + referer + language;
    QTest::newRow("POST with own Content-Type and cookies")
        << QStringLiteral("Content-Type: text/plain\r\n") << true << QByteArrayLiteral("abc") << QStringLiteral("s=9")
        << QStringLiteral("Content-Type: text/plain\r\n") + accept + referer + language
            + QStringLiteral("Content-Length: 3\r\nCookie: s=9\r\n\r\n");
    QTest::newRow("length counts bytes") << QString() << true << QByteArray("\xc4\xe3\xba\xc3") << QString()
                                         << accept + referer + language + form
            + QStringLiteral("Content-Length: 4\r\n");
}

void TestRequestBuilding::headerBlock()
{
    QFETCH(QString, extra);
    QFETCH(bool, post);
    QFETCH(QByteArray, body);
    QFETCH(QString, cookies);
    QFETCH(QString, block);
    QCOMPARE(BuildHeaderBlock(extra, QStringLiteral("http://host/a"), post, body, cookies), block);
}

void TestRequestBuilding::userAgent_data()
{
    QTest::addColumn<QString>("extra");
    QTest::addColumn<QString>("agent");
    QTest::newRow("none given") << QString() << DefaultUserAgent();
    QTest::newRow("given") << QStringLiteral("X: 1\r\nuser-agent:  Probe/2 \r\n") << QStringLiteral("Probe/2");
    QTest::newRow("ideographic spaces trimmed")
        << QStringLiteral("User-Agent:\u3000Probe\r\n") << QStringLiteral("Probe");
}

void TestRequestBuilding::userAgent()
{
    QFETCH(QString, extra);
    QFETCH(QString, agent);
    QCOMPARE(RequestUserAgent(extra), agent);
    QVERIFY(DefaultUserAgent().startsWith(QStringLiteral("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1;")));
}

void TestRequestBuilding::headerLines()
{
    const auto lines = HeaderLines(QStringLiteral("A: 1\r\n\r\nnot a header\r\nB:two words \r\nCookie: x=1\r\n\r\n"));
    const QList<QPair<QByteArray, QByteArray>> expected { { "A", "1" }, { "B", "two words" }, { "Cookie", "x=1" } };
    QCOMPARE(lines, expected);
}

QTEST_GUILESS_MAIN(TestRequestBuilding)
#include "test_request_building.moc"
