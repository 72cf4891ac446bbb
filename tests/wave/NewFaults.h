// Faults for the allocations that the program makes with new (std::nothrow): the next nSkip
// succeed, the one after fails (returns null), once.
#pragma once

void FailNothrowNew(int nSkip);
