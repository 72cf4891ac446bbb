// A locked moveable block leads back to its handle: a wave buffer keeps only the locked
// addresses of its header and data blocks, and frees them through their handles.
#include "platform/win32.h"
#include "tests/support/PlatformTest.h"

namespace {

class GlobalHandleTest : public PlatformTest {};

TEST_F(GlobalHandleTest, ALockedMoveableBlockLeadsBackToItsHandle)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(WAVEHDR));
    ASSERT_NE(h, nullptr);
    void* p = GlobalLock(h);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(GlobalHandle(p), h);
    GlobalUnlock(h);
    EXPECT_EQ(GlobalFree(h), nullptr);
}

}  // namespace
