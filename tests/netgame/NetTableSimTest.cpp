// The network tables' simulation over many seeds (see TableSim.h);
// ZANTA_NETSIM_RUNS sets how many runs the test tries (a long run for the
// night), ZANTA_NETSIM_SEED replays one.

#include "TableSim.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#ifndef ZANTA_NETSIM_RUNS
#define ZANTA_NETSIM_RUNS 200
#endif

TEST(NetTableSim, EveryMomentKeepsTheTablesInStepAndSomeoneAbleToAct) {
    testutil::PauseCounter noPauses;
    std::vector<std::uint64_t> seeds;
    if (qEnvironmentVariableIsSet("ZANTA_NETSIM_SEED")) {
        seeds.push_back(qEnvironmentVariable("ZANTA_NETSIM_SEED").toULongLong());
    } else {
        const int runs = qEnvironmentVariableIsSet("ZANTA_NETSIM_RUNS")
                             ? qEnvironmentVariableIntValue("ZANTA_NETSIM_RUNS")
                             : ZANTA_NETSIM_RUNS;
        for (int i = 1; i <= runs; ++i)
            seeds.push_back(static_cast<std::uint64_t>(i));
    }
    int failed = 0;
    for (std::uint64_t seed : seeds) {
        const QString broken = TableSim(seed).Run(600);
        if (!broken.isEmpty()) {
            ADD_FAILURE() << broken.toStdString();
            if (++failed == 3)
                break;
        }
    }
}
