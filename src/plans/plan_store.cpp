#include "plans/plan_store.h"

#include "common/clock.h"
#include "common/text_helpers.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

namespace {

QAtomicInt connectionSerial;

bool hasQuote(const QList<QString>& values)
{
    for (const QString& v : values) {
        if (v.contains(u'\''))
            return true;
    }
    return false;
}

QString field(const QSqlQuery& query, const char* name)
{
    const QVariant v = query.value(QString::fromLatin1(name));
    return v.isNull() ? QString() : v.toString();
}

QString field(const QSqlQuery& query, int index)
{
    const QVariant v = query.value(index);
    return v.isNull() ? QString() : v.toString();
}

// Columns by position: "select *" on table data gives them in the schema's order.
RefreshPlan readPlan(const QSqlQuery& q)
{
    RefreshPlan p;
    p.nick = field(q, 0);
    p.id = field(q, 1);
    p.times = field(q, 2);
    p.sort = field(q, 3);
    p.num = field(q, 4);
    p.interval = field(q, 5);
    p.progress = field(q, 6);
    p.sort1 = field(q, 7);
    p.numall = field(q, 8);
    p.today = field(q, 9);
    p.date1 = field(q, 10);
    return p;
}

} // namespace

PlanStore::PlanStore(const Clock& clock)
    : m_connection(QStringLiteral("planstore-%1").arg(connectionSerial.fetchAndAddRelaxed(1)))
    , m_clock(clock)
{
}

PlanStore::~PlanStore()
{
    m_loadQuery.reset();
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool PlanStore::OpenPlanStore(const QString& filePath)
{
    if (!QFileInfo(filePath).isFile())
        return false;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    // mode=rw: SQLite would otherwise create a missing file.
    db.setDatabaseName(QStringLiteral("file:")
                       + QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(filePath).absoluteFilePath(), "/"))
                       + QStringLiteral("?mode=rw"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    bool ok = db.open();
    if (ok) {
        // A file that is not a database opens fine and fails at the first statement.
        QSqlQuery q(db);
        ok = q.exec(QStringLiteral("select name from sqlite_master where type='table' and name in ('data','num')"));
        int tables = 0;
        while (ok && q.next())
            ++tables;
        ok = ok && tables == 2;
        q.finish();
        if (ok) {
            // A counted success must be on disk before the call returns.
            q.exec(QStringLiteral("pragma journal_mode=WAL"));
            q.finish();
            q.exec(QStringLiteral("pragma synchronous=FULL"));
            q.finish();
        }
    }
    if (!ok) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
        return false;
    }
    m_db = db;
    m_loadQuery = std::make_unique<QSqlQuery>(m_db);
    m_loadQuery->setForwardOnly(true);
    m_loadQuery->prepare(QStringLiteral("select * from data where nick=?"));
    return true;
}

bool PlanStore::isOpen() const
{
    return m_db.isOpen();
}

bool PlanStore::exec(const QString& sql, const QList<QString>& values)
{
    if (hasQuote(values) || !isOpen())
        return false;
    QSqlQuery q(m_db);
    if (!q.prepare(sql))
        return false;
    for (const QString& v : values)
        q.addBindValue(v);
    const bool ok = q.exec();
    if (ok)
        ++m_ownWrites;
    return ok;
}

RefreshPlan PlanStore::LoadPlan(const QString& nick)
{
    if (nick.contains(u'\'') || !isOpen())
        return {};
    QSqlQuery& q = *m_loadQuery;
    RefreshPlan plan;
    q.bindValue(0, nick);
    if (q.exec() && q.next())
        plan = readPlan(q);
    q.finish();
    if (plan.nick.isEmpty())
        return {};
    return plan;
}

QList<RefreshPlan> PlanStore::ListPlans()
{
    QList<RefreshPlan> plans;
    if (!isOpen())
        return plans;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("select * from data"))) {
        while (q.next())
            plans.append(readPlan(q));
    }
    return plans;
}

void PlanStore::DeletePlan(const QString& nick)
{
    exec(QStringLiteral("delete from data where nick=?"), {nick});
}

bool PlanStore::InsertPlan(const RefreshPlan& plan)
{
    return exec(QStringLiteral("insert into data (nick,id,times,sort,num,interval,sort1,numall) values (?,?,?,?,?,?,?,?)"),
                {plan.nick, plan.id, plan.times, plan.sort, plan.num, plan.interval, plan.sort1, plan.numall});
}

bool PlanStore::ReplacePlan(const RefreshPlan& plan)
{
    const QList<QString> values = {plan.nick, plan.id, plan.times, plan.sort, plan.num, plan.interval, plan.sort1, plan.numall};
    if (hasQuote(values) || !isOpen())
        return false;
    if (!m_db.transaction())
        return false;
    const bool ok = exec(QStringLiteral("delete from data where nick=?"), {plan.nick})
        && exec(QStringLiteral("insert into data (nick,id,times,sort,num,interval,sort1,numall) values (?,?,?,?,?,?,?,?)"), values);
    if (ok && m_db.commit())
        return true;
    m_db.rollback();
    return false;
}

bool PlanStore::SavePlanProgress(const QString& nick, const QString& progress)
{
    return exec(QStringLiteral("update data set progress=? where nick=?"), {progress, nick});
}

int PlanStore::IncrementPlanToday(const QString& nick)
{
    QString today;
    QString date1;
    if (!nick.contains(u'\'') && isOpen()) {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (q.prepare(QStringLiteral("select * from data where nick=?"))) {
            q.addBindValue(nick);
            if (q.exec() && q.next()) {
                today = field(q, "today");
                date1 = field(q, "date1");
            }
        }
    }
    const int count = (date1 == TodayDateText(m_clock)) ? NumberFromText(today) + 1 : 1;
    exec(QStringLiteral("update data set today=?,date1=? where nick=?"),
         {QString::number(count), TodayDateText(m_clock), nick});
    return count;
}

void PlanStore::IncrementDailyTotal()
{
    const QString day = TodayDateText(m_clock);
    QString date1;
    int num = 0;
    if (isOpen()) {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (q.prepare(QStringLiteral("select * from num where date1=?"))) {
            q.addBindValue(day);
            if (q.exec() && q.next()) {
                date1 = field(q, "date1");
                num = NumberFromText(field(q, "num"));
            }
        }
    }
    if (!date1.isEmpty())
        exec(QStringLiteral("update num set num=? where date1=?"), {QString::number(num + 1), day});
    else
        exec(QStringLiteral("insert into num (date1,num) values (?,?)"), {day, QStringLiteral("1")});
}

int PlanStore::ReadDailyTotal()
{
    if (!isOpen())
        return 0;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    int total = 0;
    if (q.prepare(QStringLiteral("select * from num where date1=?"))) {
        q.addBindValue(TodayDateText(m_clock));
        if (q.exec() && q.next())
            total = NumberFromText(field(q, "num"));
    }
    return total;
}

qint64 PlanStore::changeCounter()
{
    if (!isOpen())
        return 0;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    qint64 version = 0;
    if (q.exec(QStringLiteral("pragma data_version")) && q.next())
        version = q.value(0).toLongLong();
    // data_version ignores this connection's own commits; count those separately.
    return (version << 32) + m_ownWrites;
}
