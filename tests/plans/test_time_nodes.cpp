#include "plans/time_nodes.h"

#include <QTest>

class TestTimeNodes : public QObject
{
    Q_OBJECT

private slots:
    void generateFromInputs_data();
    void generateFromInputs();
    void fullDayOfMinutes();
    void hugeSpanStaysBounded();
    void countPlannedRefreshes_data();
    void countPlannedRefreshes();
    void plannedRefreshesText_data();
    void plannedRefreshesText();
};

void TestTimeNodes::generateFromInputs_data()
{
    QTest::addColumn<QStringList>("boxes"); // start h, start m, end h, end m, interval, filter
    QTest::addColumn<QString>("nodes");
    QTest::addColumn<QString>("message");

    const QString badSpan = QStringLiteral("请正确填写开始时间和结束时间");
    const QString badInterval = QStringLiteral("间隔时间不能小于1分钟");
    auto boxes = [](const char* sh, const char* sm, const char* eh, const char* em, const char* i, const char* f) {
        return QStringList { QString::fromUtf8(sh), QString::fromUtf8(sm), QString::fromUtf8(eh), QString::fromUtf8(em),
            QString::fromUtf8(i), QString::fromUtf8(f) };
    };

    QTest::newRow("end on a node") << boxes("8", "0", "9", "0", "20", "") << QStringLiteral("08:00,08:20,08:40,09:00")
                                   << QString();
    QTest::newRow("end between nodes") << boxes("8", "0", "8", "50", "20", "") << QStringLiteral("08:00,08:20,08:40")
                                       << QString();
    QTest::newRow("filter 10") << boxes("8", "0", "8", "30", "5", "10") << QStringLiteral("08:05,08:15,08:25")
                               << QString();
    QTest::newRow("filter 0 is none") << boxes("8", "0", "8", "10", "5", "0") << QStringLiteral("08:00,08:05,08:10")
                                      << QString();
    QTest::newRow("negative filter") << boxes("8", "0", "8", "30", "5", "-10") << QStringLiteral("08:05,08:15,08:25")
                                     << QString();
    QTest::newRow("filter removes all") << boxes("9", "0", "10", "0", "30", "30") << QString() << QString();
    QTest::newRow("leading zeros typed") << boxes("08", "05", "08", "07", "1", "")
                                         << QStringLiteral("08:05,08:06,08:07") << QString();
    QTest::newRow("hour 25 accepted") << boxes("23", "0", "25", "0", "60", "") << QStringLiteral("23:00,24:00,25:00")
                                      << QString();
    QTest::newRow("minutes over 59 carry")
        << boxes("8", "70", "9", "30", "10", "") << QStringLiteral("09:10,09:20,09:30") << QString();
    QTest::newRow("text after digits") << boxes("8点", "0", "8", "2分", "1", "") << QStringLiteral("08:00,08:01,08:02")
                                       << QString();
    QTest::newRow("start equals end") << boxes("10", "0", "10", "0", "5", "") << QString() << badSpan;
    QTest::newRow("start after end") << boxes("10", "0", "9", "0", "5", "") << QString() << badSpan;
    QTest::newRow("all empty") << boxes("", "", "", "", "", "") << QString() << badSpan;
    QTest::newRow("span checked before interval") << boxes("10", "0", "9", "0", "0", "") << QString() << badSpan;
    QTest::newRow("interval empty") << boxes("8", "0", "9", "0", "", "") << QString() << badInterval;
    QTest::newRow("interval 0") << boxes("8", "0", "9", "0", "0", "") << QString() << badInterval;
    QTest::newRow("interval negative") << boxes("8", "0", "9", "0", "-5", "") << QString() << badInterval;
    QTest::newRow("interval not a number") << boxes("8", "0", "9", "0", "abc", "") << QString() << badInterval;
}

void TestTimeNodes::generateFromInputs()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, nodes);
    QFETCH(QString, message);
    const TimeNodeGeneration g
        = GenerateTimeNodesFromInputs(boxes[0], boxes[1], boxes[2], boxes[3], boxes[4], boxes[5]);
    QCOMPARE(g.message, message);
    QCOMPARE(g.nodes, nodes);
}

void TestTimeNodes::fullDayOfMinutes()
{
    const QString nodes = GenerateTimeNodes(0, 23 * 60 + 59, 1, 0);
    const QStringList list = nodes.split(u',');
    QCOMPARE(list.size(), 1440);
    QCOMPARE(list.first(), QStringLiteral("00:00"));
    QCOMPARE(list.at(605), QStringLiteral("10:05"));
    QCOMPARE(list.last(), QStringLiteral("23:59"));
    // The stored column must hold a full day: 1,440 nodes of five characters and 1,439 commas.
    QCOMPARE(nodes.size(), 8639);
    QCOMPARE(CountPlannedRefreshes(nodes, QStringLiteral("1"), 0, 1), 1440);
}

void TestTimeNodes::hugeSpanStaysBounded()
{
    // A typed hour far past the day must not build an unbounded text.
    const TimeNodeGeneration g = GenerateTimeNodesFromInputs(QStringLiteral("0"), QStringLiteral("0"),
        QStringLiteral("2147483647"), QStringLiteral("2147483647"), QStringLiteral("1"), QString());
    QVERIFY(g.message.isEmpty());
    QVERIFY(g.nodes.startsWith(QStringLiteral("00:00,00:01,")));
    QVERIFY(g.nodes.size() < 2'000'000);
}

void TestTimeNodes::countPlannedRefreshes_data()
{
    QTest::addColumn<QString>("times");
    QTest::addColumn<QString>("ids");
    QTest::addColumn<qint64>("perNode");
    QTest::addColumn<int>("mode");
    QTest::addColumn<qint64>("count");

    const QString three = QStringLiteral("08:00,09:00,10:00");
    const QString two = QStringLiteral("101,102");
    QTest::newRow("every listing") << three << two << qint64(0) << 1 << qint64(6);
    QTest::newRow("rotation") << three << two << qint64(5) << 2 << qint64(15);
    QTest::newRow("no times") << QString() << two << qint64(5) << 1 << qint64(0);
    QTest::newRow("no times rotation") << QString() << two << qint64(5) << 2 << qint64(0);
    QTest::newRow("no ids") << three << QString() << qint64(5) << 1 << qint64(0);
    QTest::newRow("trailing comma counted")
        << QStringLiteral("08:00,09:00,") << QStringLiteral("1") << qint64(0) << 1 << qint64(3);
    QTest::newRow("empty inner item counted") << QStringLiteral("08:00,,09:00") << two << qint64(0) << 1 << qint64(6);
    QTest::newRow("other mode") << three << two << qint64(5) << 0 << qint64(-1);
    QTest::newRow("large counts do not wrap") << three << two << qint64(2147483647) << 2 << qint64(3) * 2147483647;
}

void TestTimeNodes::countPlannedRefreshes()
{
    QFETCH(QString, times);
    QFETCH(QString, ids);
    QFETCH(qint64, perNode);
    QFETCH(int, mode);
    QFETCH(qint64, count);
    QCOMPARE(CountPlannedRefreshes(times, ids, perNode, mode), count);
}

void TestTimeNodes::plannedRefreshesText_data()
{
    QTest::addColumn<QString>("times");
    QTest::addColumn<QString>("ids");
    QTest::addColumn<QString>("perNode");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");

    QTest::newRow("every listing") << QStringLiteral("08:00,09:00,10:00") << QStringLiteral("101,102")
                                   << QStringLiteral("9") << 1 << QStringLiteral("共需刷新 6 次");
    QTest::newRow("rotation") << QStringLiteral("08:00,09:00,10:00") << QStringLiteral("101,102") << QStringLiteral("5")
                              << 2 << QStringLiteral("共需刷新 15 次");
    QTest::newRow("trailing comma") << QStringLiteral("08:00,09:00,") << QStringLiteral("101") << QString() << 1
                                    << QStringLiteral("共需刷新 3 次");
    QTest::newRow("empty count box") << QStringLiteral("08:00") << QStringLiteral("101") << QString() << 2
                                     << QStringLiteral("共需刷新 0 次");
    QTest::newRow("untrimmed texts") << QStringLiteral(" 08:00 ") << QStringLiteral(" ") << QStringLiteral("3个") << 2
                                     << QStringLiteral("共需刷新 3 次");
}

void TestTimeNodes::plannedRefreshesText()
{
    QFETCH(QString, times);
    QFETCH(QString, ids);
    QFETCH(QString, perNode);
    QFETCH(int, mode);
    QFETCH(QString, text);
    QCOMPARE(PlannedRefreshesText(times, ids, perNode, mode), text);
}

QTEST_GUILESS_MAIN(TestTimeNodes)
#include "test_time_nodes.moc"
