// The memory of one buffer as the driver sees it: the header block, this structure, and the
// data block it points to, each a moveable global block locked for its life. The header comes
// first, so that the block is found again from the header's address, which is all the driver's
// notices carry.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <type_traits>

struct WaveBlock
{
    WAVEHDR header;
    // The notices the driver still owes for the header (+1 before a write, -1 when the write
    // failed or the notice's callback is done with the header): the callback reads the header
    // until then, so the memory stays.
    LONG nNoticesOwed;

    // A zeroed header for nBytes of data, with dwUser set; null when there is no memory.
    static WAVEHDR* Allocate(DWORD nBytes, DWORD_PTR dwUser);
    static WaveBlock* Of(WAVEHDR* pHeader) { return reinterpret_cast<WaveBlock*>(pHeader); }

    // Frees the header block and its data block.
    void Free();
    void NoticeOwed(LONG nCount);
    bool IsNoticeOwed() const;
};

static_assert(std::is_standard_layout<WaveBlock>::value && offsetof(WaveBlock, header) == 0,
              "a header's address is its block's");
