#include "plans/plan_store.h"
#include "support/fake_clock.h"
#include "support/temp_data_dir.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

RefreshPlan makePlan(const QString& nick, const QString& ids = QStringLiteral("101,102"))
{
    RefreshPlan p;
    p.nick = nick;
    p.id = ids;
    p.times = QStringLiteral("08:00,08:30");
    p.sort = QStringLiteral("1");
    p.sort1 = QStringLiteral("2");
    p.numall = QStringLiteral("4");
    return p;
}

// Reads a table straight from the file, past the store, to see what is really on disk.
QList<QStringList> rawRows(const QString& path, const QString& sql)
{
    QList<QStringList> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec(sql);
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            rows << row;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    return rows;
}

} // namespace

class TestPlanStore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void openRefusesWhatIsNotAPlanDatabase_data();
    void openRefusesWhatIsNotAPlanDatabase();
    void loadPlanOfMissingNameIsEmpty();
    void insertLeavesProgressTodayDateNull();
    void insertThenLoadRoundTrips();
    void savingTwiceKeepsOneRow();
    void deleteRemovesEveryRowOfTheName();
    void replaceKeepsOldRowWhenInsertFails();
    void placeholderTextInValuesIsStoredAsIs();
    void quotesAreRefused_data();
    void quotesAreRefused();
    void savePlanProgress();
    void incrementPlanTodayAcrossDays();
    void incrementPlanTodayWithoutRow();
    void dailyTotals();
    void nullsReadAsEmptyText();
    void changeCounterMovesOnEveryWrite();

private:
    std::unique_ptr<TempDataDir> m_dir;
    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<PlanStore> m_store;
};

void TestPlanStore::init()
{
    m_dir = std::make_unique<TempDataDir>();
    m_clock = std::make_unique<FakeClock>(QDateTime(QDate(2015, 3, 5), QTime(8, 0)));
    m_store = std::make_unique<PlanStore>(*m_clock);
    QVERIFY(m_store->OpenPlanStore(m_dir->databasePath()));
}

void TestPlanStore::cleanup()
{
    m_store.reset();
    m_clock.reset();
    m_dir.reset();
}

void TestPlanStore::openRefusesWhatIsNotAPlanDatabase_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << QStringLiteral("missing");
    QTest::newRow("garbage file") << QStringLiteral("garbage");
    QTest::newRow("empty file") << QStringLiteral("empty");
    QTest::newRow("table num missing") << QStringLiteral("no-num");
    QTest::newRow("folder instead of file") << QStringLiteral("folder");
}

void TestPlanStore::openRefusesWhatIsNotAPlanDatabase()
{
    QFETCH(QString, kind);
    TempDataDir dir(false);
    const QString path = dir.databasePath();
    if (kind == QLatin1String("garbage")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    } else if (kind == QLatin1String("empty")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (kind == QLatin1String("no-num")) {
        rawRows(path, QStringLiteral("create table data (nick text)"));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    }
    PlanStore store(*m_clock);
    QVERIFY(!store.OpenPlanStore(path));
    QVERIFY(!store.isOpen());
    if (kind == QLatin1String("missing"))
        QVERIFY2(!QFile::exists(path), "opening must never create the file");
    QCOMPARE(store.LoadPlan(QStringLiteral("x")), RefreshPlan());
    QCOMPARE(store.ReadDailyTotal(), 0);
    QVERIFY(!store.InsertPlan(makePlan(QStringLiteral("x"))));
}

void TestPlanStore::loadPlanOfMissingNameIsEmpty()
{
    QCOMPARE(m_store->LoadPlan(QStringLiteral("无此方案")), RefreshPlan());
}

void TestPlanStore::insertLeavesProgressTodayDateNull()
{
    QVERIFY(m_store->InsertPlan(makePlan(QStringLiteral("早间"))));
    const auto rows = rawRows(m_dir->databasePath(), QStringLiteral("select progress, today, date1 from data"));
    QCOMPARE(rows, (QList<QStringList>{{QStringLiteral("<null>"), QStringLiteral("<null>"), QStringLiteral("<null>")}}));
    QCOMPARE(m_store->ListPlans().value(0).today, QString());
}

void TestPlanStore::insertThenLoadRoundTrips()
{
    RefreshPlan plan = makePlan(QStringLiteral("早间出售"), QStringLiteral("1001,100"));
    plan.sort = QStringLiteral("2");
    plan.num = QStringLiteral(" 3");
    plan.times = QStringList(1440, QStringLiteral("08:00")).join(u',');
    QVERIFY(m_store->InsertPlan(plan));
    QCOMPARE(m_store->LoadPlan(QStringLiteral("早间出售")), plan);
    QCOMPARE(m_store->ListPlans(), QList<RefreshPlan>{plan});
}

void TestPlanStore::savingTwiceKeepsOneRow()
{
    const RefreshPlan plan = makePlan(QStringLiteral("a"));
    QVERIFY(m_store->ReplacePlan(plan));
    QVERIFY(m_store->ReplacePlan(plan));
    QCOMPARE(m_store->ListPlans().size(), 1);
}

void TestPlanStore::deleteRemovesEveryRowOfTheName()
{
    // Older files may hold two rows of one name.
    QVERIFY(m_store->InsertPlan(makePlan(QStringLiteral("dup"))));
    QVERIFY(m_store->InsertPlan(makePlan(QStringLiteral("dup"))));
    QVERIFY(m_store->InsertPlan(makePlan(QStringLiteral("other"))));
    m_store->DeletePlan(QStringLiteral("dup"));
    const QList<RefreshPlan> left = m_store->ListPlans();
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.first().nick, QStringLiteral("other"));
}

void TestPlanStore::replaceKeepsOldRowWhenInsertFails()
{
    const RefreshPlan old = makePlan(QStringLiteral("keep"));
    QVERIFY(m_store->InsertPlan(old));
    RefreshPlan broken = old;
    broken.id = QStringLiteral("10'1");
    QVERIFY(!m_store->ReplacePlan(broken));
    QCOMPARE(m_store->LoadPlan(QStringLiteral("keep")), old);

    // A failure inside the transaction (not caught before it) rolls the delete back too.
    rawRows(m_dir->databasePath(),
            QStringLiteral("create trigger refuse before insert on data when new.id = 'boom' "
                           "begin select raise(abort, 'refused'); end"));
    broken.id = QStringLiteral("boom");
    QVERIFY(!m_store->ReplacePlan(broken));
    QCOMPARE(m_store->LoadPlan(QStringLiteral("keep")), old);
}

void TestPlanStore::placeholderTextInValuesIsStoredAsIs()
{
    RefreshPlan plan = makePlan(QStringLiteral("a[id]"), QStringLiteral("[nick]"));
    plan.times = QStringLiteral("[times]");
    QVERIFY(m_store->InsertPlan(plan));
    QCOMPARE(m_store->LoadPlan(QStringLiteral("a[id]")), plan);
    QVERIFY(m_store->SavePlanProgress(QStringLiteral("a[id]"), QStringLiteral("[progress]")));
    QCOMPARE(m_store->LoadPlan(QStringLiteral("a[id]")).progress, QStringLiteral("[progress]"));
}

void TestPlanStore::quotesAreRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::newRow("nick") << QStringLiteral("nick");
    QTest::newRow("id") << QStringLiteral("id");
    QTest::newRow("times") << QStringLiteral("times");
}

void TestPlanStore::quotesAreRefused()
{
    QFETCH(QString, field);
    RefreshPlan plan = makePlan(QStringLiteral("q"));
    if (field == QLatin1String("nick"))
        plan.nick = QStringLiteral("it's");
    else if (field == QLatin1String("id"))
        plan.id = QStringLiteral("1'2");
    else
        plan.times = QStringLiteral("08:00'");
    QVERIFY(!m_store->InsertPlan(plan));
    QVERIFY(m_store->ListPlans().isEmpty());
    QCOMPARE(m_store->LoadPlan(QStringLiteral("it's")), RefreshPlan());
    QCOMPARE(m_store->IncrementPlanToday(QStringLiteral("it's")), 1);
}

void TestPlanStore::savePlanProgress()
{
    QVERIFY(m_store->InsertPlan(makePlan(QStringLiteral("p"))));
    QVERIFY(m_store->SavePlanProgress(QStringLiteral("p"), QStringLiteral("102")));
    QCOMPARE(m_store->LoadPlan(QStringLiteral("p")).progress, QStringLiteral("102"));
    QVERIFY(!m_store->SavePlanProgress(QStringLiteral("p"), QStringLiteral("1'")));
    QCOMPARE(m_store->LoadPlan(QStringLiteral("p")).progress, QStringLiteral("102"));
}

void TestPlanStore::incrementPlanTodayAcrossDays()
{
    QVERIFY(m_store->InsertPlan(makePlan(QStringLiteral("p"))));
    QCOMPARE(m_store->IncrementPlanToday(QStringLiteral("p")), 1);
    QCOMPARE(m_store->IncrementPlanToday(QStringLiteral("p")), 2);
    RefreshPlan stored = m_store->LoadPlan(QStringLiteral("p"));
    QCOMPARE(stored.today, QStringLiteral("2"));
    QCOMPARE(stored.date1, QStringLiteral("2015年3月5日"));

    m_clock->set(QDateTime(QDate(2015, 3, 6), QTime(0, 0, 1)));
    QCOMPARE(m_store->IncrementPlanToday(QStringLiteral("p")), 1);
    stored = m_store->LoadPlan(QStringLiteral("p"));
    QCOMPARE(stored.today, QStringLiteral("1"));
    QCOMPARE(stored.date1, QStringLiteral("2015年3月6日"));
    QCOMPARE(m_store->IncrementPlanToday(QStringLiteral("p")), 2);
}

void TestPlanStore::incrementPlanTodayWithoutRow()
{
    QCOMPARE(m_store->IncrementPlanToday(QStringLiteral("gone")), 1);
    QCOMPARE(m_store->IncrementPlanToday(QStringLiteral("gone")), 1);
    QVERIFY(m_store->ListPlans().isEmpty());
}

void TestPlanStore::dailyTotals()
{
    QCOMPARE(m_store->ReadDailyTotal(), 0);
    m_store->IncrementDailyTotal();
    m_store->IncrementDailyTotal();
    m_store->IncrementDailyTotal();
    QCOMPARE(m_store->ReadDailyTotal(), 3);
    QCOMPARE(rawRows(m_dir->databasePath(), QStringLiteral("select date1, num from num")),
             (QList<QStringList>{{QStringLiteral("2015年3月5日"), QStringLiteral("3")}}));

    m_clock->set(QDateTime(QDate(2015, 3, 6), QTime(0, 0)));
    QCOMPARE(m_store->ReadDailyTotal(), 0);
    m_store->IncrementDailyTotal();
    QCOMPARE(m_store->ReadDailyTotal(), 1);

    // A store reopened on the same file sees the counts: they were on disk at once.
    PlanStore second(*m_clock);
    QVERIFY(second.OpenPlanStore(m_dir->databasePath()));
    QCOMPARE(second.ReadDailyTotal(), 1);
}

void TestPlanStore::nullsReadAsEmptyText()
{
    rawRows(m_dir->databasePath(), QStringLiteral("insert into data (nick) values ('bare')"));
    rawRows(m_dir->databasePath(), QStringLiteral("insert into num (date1, num) values ('2015年3月5日', NULL)"));
    RefreshPlan expected;
    expected.nick = QStringLiteral("bare");
    QCOMPARE(m_store->LoadPlan(QStringLiteral("bare")), expected);
    QCOMPARE(m_store->ReadDailyTotal(), 0);
    m_store->IncrementDailyTotal();
    QCOMPARE(m_store->ReadDailyTotal(), 1);
}

void TestPlanStore::changeCounterMovesOnEveryWrite()
{
    const qint64 before = m_store->changeCounter();
    QCOMPARE(m_store->changeCounter(), before);
    QVERIFY(m_store->InsertPlan(makePlan(QStringLiteral("c"))));
    const qint64 afterOwn = m_store->changeCounter();
    QVERIFY(afterOwn != before);
    // A write by another connection (another program on the same file) counts too.
    rawRows(m_dir->databasePath(), QStringLiteral("update data set id='9' where nick='c'"));
    QVERIFY(m_store->changeCounter() != afterOwn);
}

QTEST_GUILESS_MAIN(TestPlanStore)
#include "test_plan_store.moc"
