#include "tests/support/PlatformTest.h"

void PlatformTest::SetUp() {}
void PlatformTest::TearDown() {}
void PlatformTest::ForgiveMisuse() {}
