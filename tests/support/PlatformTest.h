// The fixture of every test that calls the Win32 API. On the host it starts each test in a
// fresh simulated world and ends it by checking that the world settled with nothing leaked
// (threads, handles, global memory, critical sections) and no misuse; on Windows it does
// nothing, and the same test runs against the real system.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>

class PlatformTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Lets the test end with misuse it provoked on purpose: forgets what was recorded, and says
    // how much that was (none on Windows, which records none).
    static size_t ForgiveMisuse();
};
