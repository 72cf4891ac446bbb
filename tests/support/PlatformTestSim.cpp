#include "tests/support/Difference.h"
#include "tests/support/PlatformTest.h"

#include "platform/sim/sim.h"

namespace {
sim::LiveCounts g_baseline;
}

void PlatformTest::SetUp()
{
    sim::ResetWorld();
    g_baseline = sim::Live();
}

void PlatformTest::TearDown()
{
    sim::Settle();
    const sim::LiveCounts live = sim::Live();
    EXPECT_EQ(live.nThreads, g_baseline.nThreads) << "simulated threads still running";
    EXPECT_EQ(live.nHandles, g_baseline.nHandles) << "handles leaked";
    EXPECT_EQ(live.nGlobalBlocks, g_baseline.nGlobalBlocks) << "global memory leaked";
    EXPECT_EQ(live.nCriticalSections, g_baseline.nCriticalSections)
        << "critical sections not deleted";
    EXPECT_EQ(live.nWindows, g_baseline.nWindows) << "windows not destroyed";
    for (const std::string& misuse : sim::TakeMisuses())
        ADD_FAILURE() << "misuse: " << misuse;
}

size_t PlatformTest::ForgiveMisuse()
{
    return sim::TakeMisuses().size();
}

System ThisSystem()
{
    return System::Simulation;
}
