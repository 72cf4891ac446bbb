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

// The key of an ordinal: "#n". The program names its resources by ordinals only; a name is not
// simulated (lock held).
std::u16string KeyOf(LPCSTR psz)
{
    if (IS_INTRESOURCE(psz))
        return u"#" + FromAnsi(std::to_string(reinterpret_cast<uintptr_t>(psz)).c_str());
    World::Get().Misuse(std::string("a resource named \"") + psz + "\": not simulated");
    return u"";
}

// The name or ordinal of a .res header as its key; a name, which nothing finds, is skipped.
std::u16string ReadId(const unsigned char*& p)
{
    if (Read<WORD>(p) == 0xFFFF) {
        p += 4;
        return KeyOf(MAKEINTRESOURCEA(Read<WORD>(p - 2)));
    }
    while (Read<char16_t>(p))
        p += 2;
    p += 2;
    return u"";
}

const ResourceEntry* FindEntry(const std::u16string& name, const std::u16string& type)
{
    for (const ResourceEntry& e : Entries())
        if (e.name == name && e.type == type)
            return &e;
    return nullptr;
}

HICON NewIcon(Lock& lk, const Icon& icon)
{
    State& s = S(lk);
    const HICON h = reinterpret_cast<HICON>(s.nNextIcon);
    s.nNextIcon += 4;
    s.icons[h] = icon;
    return h;
}

// The image of an icon group that suits the display's icon size, as LoadIcon picks it.
bool IconFromGroup(const ResourceEntry& group, Icon* pIcon)
{
    if (group.nSize < 6)
        return false;
    const unsigned char* p = group.pData;
    const WORD nCount = Read<WORD>(p + 4);
    int nBest = -1;
    for (WORD i = 0; i < nCount && 6u + 14u * (i + 1u) <= group.nSize; ++i) {
        const unsigned char* pEntry = p + 6 + 14 * i;
        const int cx = pEntry[0] ? pEntry[0] : 256;
        if (nBest < 0 || cx == GetSystemMetrics(SM_CXICON))
            nBest = i;
    }
    if (nBest < 0)
        return false;
    const WORD nId = Read<WORD>(p + 6 + 14 * nBest + 12);
    const ResourceEntry* pImage = FindEntry(KeyOf(MAKEINTRESOURCEA(nId)), u"#3" /* RT_ICON */);
    if (!pImage || pImage->nSize < sizeof(BITMAPINFOHEADER))
        return false;
    const auto header = Read<BITMAPINFOHEADER>(pImage->pData);
    pIcon->cx = header.biWidth;
    pIcon->cy = header.biHeight / 2;  // the colour rows and the mask rows
    return true;
}

// FindResourceA, and FindResourceExA of a language (nLanguage >= 0).
HRSRC FindLocked(Lock& lk, HMODULE hModule, LPCSTR pszName, LPCSTR pszType, int nLanguage)
{
    if (hModule && hModule != MODULE) {
        SetError(lk, ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const std::u16string name = KeyOf(pszName);
    const std::u16string type = KeyOf(pszType);
    for (const ResourceEntry& e : Entries())
        if (e.name == name && e.type == type && (nLanguage < 0 || e.nLanguage == nLanguage))
            return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(&e));
    SetError(lk, nLanguage < 0 ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_LANG_NOT_FOUND);
    return nullptr;
}

}  // namespace

HINSTANCE ModuleHandle()
{
    return MODULE;
}

HICON LoadIconLocked(Lock& lk, HINSTANCE hInstance, LPCSTR pszName)
{
    State& s = S(lk);
    Icon icon;
    if (!hInstance) {
        World::Get().Misuse("LoadIconA of a system icon, which is not simulated");
        SetError(lk, ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (hInstance != MODULE) {
        SetError(lk, ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const ResourceEntry* pGroup = FindEntry(KeyOf(pszName), u"#14" /* RT_GROUP_ICON */);
    if (!pGroup || !IconFromGroup(*pGroup, &icon)) {
        SetError(lk, ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const std::u16string& name = pGroup->name;
    const std::string key = "resource " + ToAnsi(name.substr(name[0] == u'#' ? 1 : 0));
    // A shared icon: every load gives the same handle.
    if (auto it = s.sharedIcons.find(key); it != s.sharedIcons.end())
        return it->second;
    icon.source = key;
    const HICON h = NewIcon(lk, icon);
    s.sharedIcons[key] = h;
    return h;
}

}  // namespace sim::win

using namespace sim::win;

bool sim::SetModuleResources(const void* pRes, size_t nBytes)
{
    const auto* pBase = static_cast<const unsigned char*>(pRes);
    std::vector<ResourceEntry>& entries = Entries();
    size_t nOffset = 0;
    while (nOffset + 8 <= nBytes) {
        const unsigned char* p = pBase + nOffset;
        const DWORD nDataSize = Read<DWORD>(p);
        const DWORD nHeaderSize = Read<DWORD>(p + 4);
        const unsigned char* q = p + 8;
        ResourceEntry e;
        e.type = ReadId(q);
        e.name = ReadId(q);
        q = pBase + ((static_cast<size_t>(q - pBase) + 3) & ~size_t(3));
        e.nLanguage = Read<WORD>(q + 6);
        e.pData = p + nHeaderSize;
        e.nSize = nDataSize;
        // The first entry of a .res file is an empty marker.
        if (nDataSize != 0 && e.type != u"#0")
            entries.push_back(e);
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
    return FindLocked(lk, hModule, pszName, pszType, -1);
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
    return FindLocked(lk, hModule, pszName, pszType, nLanguage);
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
