#include "common/clock.h"
#include "common/fired_node_set.h"
#include "common/gbk.h"
#include "common/pumped_delay.h"
#include "common/text_helpers.h"
#include "support/fake_clock.h"

#include <QTest>
#include <QTimer>

class TestTextHelpers : public QObject
{
    Q_OBJECT
private slots:
    void trimSpaces_data();
    void trimSpaces();
    void textBetween_data();
    void textBetween();
    void countSeparators_data();
    void countSeparators();
    void splitListingIds_data();
    void splitListingIds();
    void numberFromText_data();
    void numberFromText();
    void dateText_data();
    void dateText();
    void hmsText();
    void gbkRoundTrip_data();
    void gbkRoundTrip();
    void pumpedDelayUnits_data();
    void pumpedDelayUnits();
    void pumpedDelayKeepsEventsFlowing();
    void firedNodeSetDropsEarlierDays();
};

void TestTextHelpers::trimSpaces_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QStringLiteral("  ab c  ") << QStringLiteral("ab c");
    QTest::newRow("full-width") << QStringLiteral("\u3000方案\u3000 ") << QStringLiteral("方案");
    QTest::newRow("tab kept") << QStringLiteral("\tab\t") << QStringLiteral("\tab\t");
    QTest::newRow("line break kept") << QStringLiteral(" 101,102\r\n") << QStringLiteral("101,102\r\n");
    QTest::newRow("inner blanks kept") << QStringLiteral("a\u3000b") << QStringLiteral("a\u3000b");
    QTest::newRow("only spaces") << QStringLiteral(" \u3000 ") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestTextHelpers::trimSpaces()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(TrimSpaces(input), expected);
}

void TestTextHelpers::textBetween_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("expected");
    QTest::newRow("agent id") << QStringLiteral("var x = { AgentId: '12345', y: 1 }") << QStringLiteral("AgentId: '")
                              << QStringLiteral("'") << QStringLiteral("12345");
    QTest::newRow("start marker case") << QStringLiteral("AGENTID: '7'") << QStringLiteral("agentid: '")
                                       << QStringLiteral("'") << QStringLiteral("7");
    QTest::newRow("end marker case") << QStringLiteral("<B>x</b>") << QStringLiteral("<b>") << QStringLiteral("</B>")
                                     << QStringLiteral("x");
    QTest::newRow("first start, first end after it")
        << QStringLiteral("a('one' and ('two')") << QStringLiteral("('") << QStringLiteral("'") << QStringLiteral("one");
    QTest::newRow("start missing") << QStringLiteral("alert(x)") << QStringLiteral("('") << QStringLiteral("'")
                                   << QString();
    QTest::newRow("end missing") << QStringLiteral("alert('x") << QStringLiteral("('") << QStringLiteral("'")
                                 << QString();
    QTest::newRow("end only before start") << QStringLiteral("' then ('x") << QStringLiteral("('")
                                           << QStringLiteral("'") << QString();
    QTest::newRow("quote marker") << QStringLiteral("value=\"42\"") << QStringLiteral("value=#引号")
                                  << QStringLiteral("#引号") << QStringLiteral("42");
    QTest::newRow("empty between") << QStringLiteral("('')") << QStringLiteral("('") << QStringLiteral("'")
                                   << QString();
}

void TestTextHelpers::textBetween()
{
    QFETCH(QString, text);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, expected);
    QCOMPARE(TextBetween(text, start, end), expected);
}

void TestTextHelpers::countSeparators_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<int>("expected");
    QTest::newRow("three items") << QStringLiteral("a,b,c") << QStringLiteral(",") << 2;
    QTest::newRow("trailing comma") << QStringLiteral("a,b,") << QStringLiteral(",") << 2;
    QTest::newRow("single item") << QStringLiteral("a") << QStringLiteral(",") << 0;
    QTest::newRow("empty") << QString() << QStringLiteral(",") << 0;
    QTest::newRow("adjacent") << QStringLiteral(",,") << QStringLiteral(",") << 2;
    QTest::newRow("overlapping") << QStringLiteral("aaa") << QStringLiteral("aa") << 2;
    QTest::newRow("case-insensitive") << QStringLiteral("xAbyaB") << QStringLiteral("ab") << 2;
    QTest::newRow("chinese") << QStringLiteral("房源,房源") << QStringLiteral("房") << 2;
}

void TestTextHelpers::countSeparators()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(int, expected);
    QCOMPARE(CountSeparators(text, separator), expected);
}

void TestTextHelpers::splitListingIds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("plain") << QStringLiteral("101,102") << QStringList{QStringLiteral("101"), QStringLiteral("102")};
    QTest::newRow("empty inner piece kept")
        << QStringLiteral("a,,b") << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")};
    QTest::newRow("no trailing empty piece") << QStringLiteral("a,b,") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("two trailing commas") << QStringLiteral("a,,") << QStringList{QStringLiteral("a"), QString()};
    QTest::newRow("leading comma") << QStringLiteral(",a") << QStringList{QString(), QStringLiteral("a")};
    QTest::newRow("only comma") << QStringLiteral(",") << QStringList{QString()};
    QTest::newRow("empty") << QString() << QStringList{};
    QTest::newRow("blanks stay") << QStringLiteral("1 , 2") << QStringList{QStringLiteral("1 "), QStringLiteral(" 2")};
}

void TestTextHelpers::splitListingIds()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(SplitListingIds(text), expected);
}

void TestTextHelpers::numberFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("digits") << QStringLiteral("42") << 42;
    QTest::newRow("leading integer") << QStringLiteral("12abc") << 12;
    QTest::newRow("fraction truncated") << QStringLiteral("3.9") << 3;
    QTest::newRow("negative") << QStringLiteral("-5") << -5;
    QTest::newRow("blanks before") << QStringLiteral("  7") << 7;
    QTest::newRow("letters") << QStringLiteral("abc") << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("sign only") << QStringLiteral("-") << 0;
    QTest::newRow("huge clamps") << QStringLiteral("99999999999999") << 2147483647;
    QTest::newRow("huge negative clamps") << QStringLiteral("-99999999999999") << int(-2147483647 - 1);
    QTest::newRow("full-width digits are not digits") << QStringLiteral("１２") << 0;
}

void TestTextHelpers::numberFromText()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(NumberFromText(text), expected);
}

void TestTextHelpers::dateText_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no leading zeros") << QDate(2015, 3, 5) << QStringLiteral("2015年3月5日");
    QTest::newRow("two digits") << QDate(2014, 7, 18) << QStringLiteral("2014年7月18日");
    QTest::newRow("year end") << QDate(2026, 12, 31) << QStringLiteral("2026年12月31日");
}

void TestTextHelpers::dateText()
{
    QFETCH(QDate, date);
    QFETCH(QString, expected);
    QCOMPARE(DateText(date), expected);
    FakeClock clock(QDateTime(date, QTime(23, 59, 59)));
    QCOMPARE(TodayDateText(clock), expected);
}

void TestTextHelpers::hmsText()
{
    QCOMPARE(HmsText(1, 2, 5), QStringLiteral("1时2分5秒"));
    QCOMPARE(HmsText(25, 0, 0), QStringLiteral("25时0分0秒"));
}

void TestTextHelpers::gbkRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("gbk");
    QTest::newRow("ascii") << QStringLiteral("abc") << QByteArray("abc");
    QTest::newRow("ideographic space") << QStringLiteral("\u3000") << QByteArray("\xa1\xa1");
    QTest::newRow("chinese") << QStringLiteral("刷新成功！") << QByteArray::fromHex("cba2d0c2b3c9b9a6a3a1");
}

void TestTextHelpers::gbkRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, gbk);
    QCOMPARE(ToGbk(text), gbk);
    QCOMPARE(FromGbk(gbk), text);
    QCOMPARE(GbkByteLength(text), gbk.size());
}

void TestTextHelpers::pumpedDelayUnits_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("unit");
    QTest::addColumn<qint64>("waitedMs");
    QTest::newRow("milliseconds") << 200 << 0 << qint64(200);
    QTest::newRow("seconds") << 1 << 1 << qint64(1000);
    QTest::newRow("minutes") << 2 << 2 << qint64(120000);
    QTest::newRow("hours") << 1 << 3 << qint64(3600000);
    QTest::newRow("unknown unit is milliseconds") << 5 << 9 << qint64(5);
    QTest::newRow("negative waits nothing") << -5 << 1 << qint64(0);
}

void TestTextHelpers::pumpedDelayUnits()
{
    QFETCH(int, interval);
    QFETCH(int, unit);
    QFETCH(qint64, waitedMs);
    FakeClock clock;
    PumpedDelay(clock, interval, unit);
    QCOMPARE(clock.totalWaitedMs(), waitedMs);
}

void TestTextHelpers::pumpedDelayKeepsEventsFlowing()
{
    // A real short wait: timers posted to this thread still fire inside it.
    SystemClock clock;
    bool fired = false;
    QTimer::singleShot(0, this, [&fired] { fired = true; });
    PumpedDelay(clock, 30);
    QVERIFY(fired);
}

void TestTextHelpers::firedNodeSetDropsEarlierDays()
{
    FiredNodeSet set;
    const QString day1 = QStringLiteral("2026年3月5日");
    const QString day2 = QStringLiteral("2026年3月6日");
    set.add(day1, day1 + QStringLiteral("早间08:00"));
    set.add(day1, day1 + QStringLiteral("早间08:30"));
    set.add(day1, day1 + QStringLiteral("早间08:30"));
    QVERIFY(set.contains(day1 + QStringLiteral("早间08:00")));
    QCOMPARE(set.text(), QStringLiteral("\r\n2026年3月5日早间08:00\r\n2026年3月5日早间08:30"));
    set.add(day2, day2 + QStringLiteral("早间08:00"));
    QVERIFY(!set.contains(day1 + QStringLiteral("早间08:00")));
    QVERIFY(set.contains(day2 + QStringLiteral("早间08:00")));
    QCOMPARE(set.size(), 1);
}

QTEST_GUILESS_MAIN(TestTextHelpers)
#include "test_text_helpers.moc"
