#include "tests/support/Difference.h"
#include "tests/support/PlatformTest.h"

#include "platform/win32.h"

void PlatformTest::SetUp() {}
void PlatformTest::TearDown() {}
size_t PlatformTest::ForgiveMisuse()
{
    return 0;
}

// Wine's ntdll exports its version; Windows' has no such function.
System ThisSystem()
{
    const HMODULE hNtdll = GetModuleHandleA("ntdll.dll");
    return hNtdll && GetProcAddress(hNtdll, "wine_get_version") ? System::Wine : System::Windows;
}
