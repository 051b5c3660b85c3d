#pragma once

#include "plans/refresh_plan.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <memory>

class Clock;

// The plans (table data) and the per-day totals (table num) in data/data.mdb.
// Owns the process's one connection; every statement is bound, and a value holding a
// single quote is refused as if its statement had failed.
class PlanStore
{
public:
    explicit PlanStore(const Clock& clock);
    ~PlanStore();
    PlanStore(const PlanStore&) = delete;
    PlanStore& operator=(const PlanStore&) = delete;

    // Opens an existing database file; never creates one. False when the file is
    // missing, not a database, or lacks table data or num.
    bool OpenPlanStore(const QString& filePath);
    bool isOpen() const;

    RefreshPlan LoadPlan(const QString& nick);
    // Rows in the order the database returns them; the cursor is closed on return.
    QList<RefreshPlan> ListPlans();
    void DeletePlan(const QString& nick);
    bool InsertPlan(const RefreshPlan& plan);
    // DeletePlan then InsertPlan in one transaction: a failing insert keeps the old rows.
    bool ReplacePlan(const RefreshPlan& plan);
    bool SavePlanProgress(const QString& nick, const QString& progress);
    int IncrementPlanToday(const QString& nick);
    void IncrementDailyTotal();
    int ReadDailyTotal();

    // Grows whenever any connection has committed a change to the file (SQLite's
    // data_version plus this connection's own writes): a cheap way to see that cached
    // plans are stale.
    qint64 changeCounter();

private:
    bool exec(const QString& sql, const QList<QString>& values);
    QString m_connection;
    QSqlDatabase m_db;
    // LoadPlan runs for every plan on every pass of the run loop: prepared once.
    std::unique_ptr<QSqlQuery> m_loadQuery;
    const Clock& m_clock;
    qint64 m_ownWrites = 0;
};
