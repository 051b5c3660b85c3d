#include "common/gbk.h"
#include "http/body_conversion.h"

#include <QStringEncoder>
#include <QtTest>

// The body conversions a caller may ask of HttpRequest.
class TestBodyConversion : public QObject
{
    Q_OBJECT

private slots:
    void utf8ToGbk_data();
    void utf8ToGbk();
    void big5ToSimplifiedGbk_data();
    void big5ToSimplifiedGbk();
};

void TestBodyConversion::utf8ToGbk_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QStringLiteral("<html>ok</html>");
    QTest::newRow("chinese") << QStringLiteral("刷新成功！今日发布:3");
    QTest::newRow("empty") << QString();
}

void TestBodyConversion::utf8ToGbk()
{
    QFETCH(QString, text);
    QCOMPARE(Utf8ToGbk(text.toUtf8()), ToGbk(text));
}

void TestBodyConversion::big5ToSimplifiedGbk_data()
{
    QTest::addColumn<QString>("traditional");
    QTest::addColumn<QString>("simplified");
    QTest::newRow("characters") << QStringLiteral("房屋出售頭髮") << QStringLiteral("房屋出售头发");
    // A name that a character-by-character mapping gets wrong.
    QTest::newRow("phrase") << QStringLiteral("乾隆皇帝") << QStringLiteral("乾隆皇帝");
    QTest::newRow("dry") << QStringLiteral("乾燥") << QStringLiteral("干燥");
    QTest::newRow("ascii") << QStringLiteral("id=1020301") << QStringLiteral("id=1020301");
}

void TestBodyConversion::big5ToSimplifiedGbk()
{
    QFETCH(QString, traditional);
    QFETCH(QString, simplified);
    QStringEncoder big5("Big5");
    const QByteArray input = big5.encode(traditional);
    QCOMPARE(FromGbk(Big5ToSimplifiedGbk(input)), simplified);
}

QTEST_GUILESS_MAIN(TestBodyConversion)
#include "test_body_conversion.moc"
