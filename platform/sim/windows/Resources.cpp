// The program's module and its resources, read from the compiled resource script that the
// program hands over at start (the bytes of a .res file), and the icons loaded from them.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

const HINSTANCE MODULE = reinterpret_cast<HINSTANCE>(0x400000);

// Filled once, while the program starts and before any thread runs; read-only afterwards.
std::vector<ResourceEntry>& Entries()
{
    static auto* pEntries = new std::vector<ResourceEntry>;
    return *pEntries;
}

template <class T>
T Read(const unsigned char* p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// The ordinal that names a resource or its type. The program names its resources by ordinals
// only; a name is not simulated (lock held).
WORD OrdinalOf(LPCSTR psz)
{
    if (IS_INTRESOURCE(psz))
        return LOWORD(reinterpret_cast<uintptr_t>(psz));
    World::Get().Misuse(std::string("a resource named \"") + psz + "\": not simulated");
    return 0;
}

// FindResourceA, and FindResourceExA of a language (nLanguage >= 0).
const ResourceEntry* FindLocked(Lock& lk, HMODULE hModule, LPCSTR pszName, LPCSTR pszType,
                                int nLanguage)
{
    if (hModule && hModule != MODULE) {
        SetError(lk, ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const WORD nName = OrdinalOf(pszName);
    const WORD nType = OrdinalOf(pszType);
    for (const ResourceEntry& e : Entries())
        if (e.nName == nName && e.nType == nType && (nLanguage < 0 || e.nLanguage == nLanguage))
            return &e;
    SetError(lk, nLanguage < 0 ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_LANG_NOT_FOUND);
    return nullptr;
}

// The image of an icon group that suits the display's icon size (else its first), as LoadIcon
// picks it, and that image's size.
bool IconFromGroup(Lock& lk, const ResourceEntry& group, Icon* pIcon)
{
    // After the group's header of three words come its images, 14 bytes each: the width first
    // and the image's ordinal last.
    const unsigned char* p = group.pData;
    int nBest = 0;
    for (int i = 0; i < Read<WORD>(p + 4); ++i)
        if (p[6 + 14 * i] == GetSystemMetrics(SM_CXICON))
            nBest = i;
    const ResourceEntry* pImage =
        FindLocked(lk, MODULE, MAKEINTRESOURCEA(Read<WORD>(p + 18 + 14 * nBest)),
                   MAKEINTRESOURCEA(3) /* RT_ICON */, -1);
    if (!pImage)
        return false;
    const auto header = Read<BITMAPINFOHEADER>(pImage->pData);
    pIcon->cx = header.biWidth;
    pIcon->cy = header.biHeight / 2;  // the colour rows and the mask rows
    return true;
}

}  // namespace

HINSTANCE ModuleHandle()
{
    return MODULE;
}

HICON LoadIconLocked(Lock& lk, HINSTANCE hInstance, LPCSTR pszName)
{
    if (!hInstance) {
        World::Get().Misuse("LoadIconA of a system icon, which is not simulated");
        SetError(lk, ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    Icon icon;
    const ResourceEntry* pGroup =
        FindLocked(lk, hInstance, pszName, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, -1);
    if (!pGroup || !IconFromGroup(lk, *pGroup, &icon))
        return nullptr;
    icon.source = "resource " + std::to_string(pGroup->nName);
    // A shared icon: every load gives the same handle.
    State& s = S(lk);
    for (const auto& [h, loaded] : s.icons)
        if (loaded.source == icon.source)
            return h;
    const HICON h = reinterpret_cast<HICON>(s.nNextIcon);
    s.nNextIcon += 4;
    s.icons[h] = icon;
    return h;
}

}  // namespace sim::win

using namespace sim::win;

bool sim::SetModuleResources(const void* pRes, size_t nBytes)
{
    // Each entry of a .res file: a header, the data, and padding to a DWORD. The header holds
    // the data's size and its own, the type and the name, each 0xFFFF and an ordinal or else a
    // text (which nothing finds), and at byte 22 of a header of ordinals the language.
    const auto* pBase = static_cast<const unsigned char*>(pRes);
    for (size_t nOffset = 0; nOffset + 8 <= nBytes;) {
        const unsigned char* p = pBase + nOffset;
        const DWORD nDataSize = Read<DWORD>(p);
        const DWORD nHeaderSize = Read<DWORD>(p + 4);
        // The first entry is an empty marker.
        if (nDataSize != 0 && Read<WORD>(p + 8) == 0xFFFF && Read<WORD>(p + 12) == 0xFFFF)
            Entries().push_back(ResourceEntry{Read<WORD>(p + 10), Read<WORD>(p + 14),
                                              Read<WORD>(p + 22), p + nHeaderSize, nDataSize});
        nOffset = (nOffset + nHeaderSize + nDataSize + 3) & ~size_t(3);
    }
    return true;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR pszModule)
{
    if (!pszModule)
        return MODULE;
    Lock lk = World::Get().Acquire();
    SetError(lk, ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR pszBuffer, DWORD nSize)
{
    if ((hModule && hModule != MODULE) || nSize == 0)
        return 0;
    // The host program, as a Windows path: C:\<name>.exe
    char self[512] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    const char* pszName = n > 0 ? std::strrchr(self, '/') + 1 : "program";
    const int nLength = std::snprintf(pszBuffer, nSize, "C:\\%s.exe", pszName);
    return std::min<DWORD>(static_cast<DWORD>(nLength), nSize - 1);
}

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR pszName, LPCSTR pszType)
{
    Lock lk = World::Get().Acquire();
    return reinterpret_cast<HRSRC>(
        const_cast<ResourceEntry*>(FindLocked(lk, hModule, pszName, pszType, -1)));
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResource)
{
    const auto* p = reinterpret_cast<const ResourceEntry*>(hResource);
    return p ? const_cast<unsigned char*>(p->pData) : nullptr;
}

LPVOID WINAPI LockResource(HGLOBAL hData)
{
    return hData;
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResource)
{
    return hResource ? reinterpret_cast<const ResourceEntry*>(hResource)->nSize : 0;
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR pszName)
{
    Lock lk = World::Get().Acquire();
    return LoadIconLocked(lk, hInstance, pszName);
}

HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR pszType, LPCSTR pszName, WORD nLanguage)
{
    Lock lk = World::Get().Acquire();
    return reinterpret_cast<HRSRC>(
        const_cast<ResourceEntry*>(FindLocked(lk, hModule, pszName, pszType, nLanguage)));
}

// As the tests convert the program's texts: a whole text of code page 932 into a buffer that
// holds it. Anything else is not simulated.
INT WINAPI MultiByteToWideChar(UINT nCodePage, DWORD, LPCSTR pszText, INT nLength, LPWSTR pBuffer,
                               INT nMax)
{
    const std::u16string text = FromAnsi(pszText) + u'\0';
    const INT n = static_cast<INT>(text.size());
    if ((nCodePage != 932 && nCodePage != CP_ACP) || nLength != -1 || n > nMax) {
        Lock lk = World::Get().Acquire();
        World::Get().Misuse(
            "MultiByteToWideChar other than of a whole text of code page 932 into a "
            "buffer that holds it: not simulated");
        return 0;
    }
    std::copy(text.begin(), text.end(), pBuffer);
    return n;
}
