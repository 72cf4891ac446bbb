#include "wave/WaveBlock.h"

namespace {

// A locked moveable block, found again from its address.
void FreeLocked(const void* p)
{
    if (HGLOBAL h = GlobalHandle(p)) {
        GlobalUnlock(h);
        GlobalFree(h);
    }
}

}  // namespace

WAVEHDR* WaveBlock::Allocate(DWORD nBytes, DWORD_PTR dwUser)
{
    HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(WaveBlock));
    WaveBlock* pBlock = hBlock ? static_cast<WaveBlock*>(GlobalLock(hBlock)) : nullptr;
    HGLOBAL hData = pBlock ? GlobalAlloc(GMEM_MOVEABLE, nBytes) : nullptr;
    LPSTR pData = hData ? static_cast<LPSTR>(GlobalLock(hData)) : nullptr;
    if (!pData) {
        if (hData)
            GlobalFree(hData);
        if (hBlock)
            GlobalFree(hBlock);
        return nullptr;
    }
    pBlock->header.lpData = pData;
    pBlock->header.dwBufferLength = nBytes;
    pBlock->header.dwUser = dwUser;
    return &pBlock->header;
}

void WaveBlock::Free()
{
    FreeLocked(header.lpData);
    FreeLocked(this);
}

void WaveBlock::NoticeOwed(LONG nCount)
{
    __atomic_add_fetch(&nNoticesOwed, nCount, __ATOMIC_ACQ_REL);
}

bool WaveBlock::IsNoticeOwed() const
{
    return __atomic_load_n(&nNoticesOwed, __ATOMIC_ACQUIRE) != 0;
}
