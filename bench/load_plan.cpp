// LoadPlan on a store of 1,000 plans: median time per call over batches of calls.
#include "common/clock.h"
#include "plans/plan_store.h"
#include "support/temp_data_dir.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TempDataDir dir;
    SystemClock clock;
    PlanStore store(clock);
    if (!store.OpenPlanStore(dir.databasePath()))
        return 1;
    constexpr int kPlans = 1000;
    QStringList names;
    for (int i = 0; i < kPlans; ++i) {
        RefreshPlan plan;
        plan.nick = QStringLiteral("方案%1").arg(i);
        plan.id = QStringLiteral("10001,10002,10003,10004,10005");
        plan.times = QStringLiteral("08:00,08:30,09:00,12:00,18:00");
        plan.sort = QStringLiteral("2");
        plan.num = QStringLiteral("2");
        plan.sort1 = QStringLiteral("1");
        plan.numall = QStringLiteral("10");
        store.InsertPlan(plan);
        names << plan.nick;
    }
    constexpr int kBatch = 1000;
    constexpr int kBatches = 30;
    std::vector<double> perCallUs;
    int found = 0;
    for (int b = 0; b < kBatches; ++b) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kBatch; ++i)
            found += !store.LoadPlan(names[(i * 7919 + b) % kPlans]).nick.isEmpty();
        perCallUs.push_back(timer.nsecsElapsed() / 1e3 / kBatch);
    }
    std::sort(perCallUs.begin(), perCallUs.end());
    std::printf("LoadPlan on %d plans: median %.2f us per call (min %.2f, max %.2f) over %d batches of %d; "
                "target <= 20 us\n",
                kPlans, perCallUs[perCallUs.size() / 2], perCallUs.front(), perCallUs.back(), kBatches, kBatch);
    return found == kBatch * kBatches ? 0 : 1;
}
