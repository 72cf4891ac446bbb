// The private profile functions, with Windows' rules for the file:
// - a path is taken as it is, so ".\name" is relative to the current directory (a name
//   without a folder, which lives in the Windows folder, and a drive are not simulated);
// - the lists of sections and of keys (a null section or key), and deleting a key or a section
//   (a null value or key), are not simulated;
// - a write creates the file and the section as needed, with "KEY=value" lines and CRLF line
//   ends; an existing key is replaced in place, a new one is added at the end of its section;
// - sections and keys match regardless of case;
// - a read trims blanks around the value and one pair of enclosing quotes; a missing key or
//   file gives the default, with its trailing blanks removed.
#include "platform/sim/kernel/World.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <strings.h>
#include <vector>

using sim::Lock;
using sim::World;

namespace {

// The program's sections and keys are ASCII (and the host program keeps the "C" locale).
bool SameName(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::string TrimRight(std::string s)
{
    s.erase(s.find_last_not_of(" \t") + 1);
    return s;
}

std::string Trim(const std::string& s)
{
    std::string t = TrimRight(s);
    return t.erase(0, t.find_first_not_of(" \t"));
}

// The host path of a profile file name, or "" for one the simulation does not model: a name
// without a folder (a file of the Windows folder) or with a drive is misuse.
std::string HostPath(World& w, const char* pszName)
{
    std::string name(pszName);
    if ((name.size() >= 2 && name[1] == ':') || name.find_first_of("\\/") == std::string::npos) {
        w.Misuse("the profile file \"" + name +
                 "\": only a path relative to the current "
                 "directory is simulated");
        return "";
    }
    for (char& c : name)
        if (c == '\\')
            c = '/';
    return name;
}

struct Profile
{
    std::vector<std::string> lines;

    bool Load(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return false;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
        }
        return true;
    }

    bool Save(const std::string& path) const
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        for (const std::string& line : lines)
            out << line << "\r\n";
        return static_cast<bool>(out);
    }

    static bool IsSection(const std::string& line, std::string* pName)
    {
        const std::string t = Trim(line);
        if (t.size() < 2 || t.front() != '[')
            return false;
        const size_t close = t.find(']');
        if (close == std::string::npos)
            return false;
        *pName = Trim(t.substr(1, close - 1));
        return true;
    }

    static bool IsKey(const std::string& line, std::string* pKey, std::string* pValue)
    {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            return false;
        *pKey = Trim(line.substr(0, eq));
        *pValue = Trim(line.substr(eq + 1));
        return true;
    }

    // The section's header line and the line after its last one, or npos.
    bool FindSection(const std::string& section, size_t* pHeader, size_t* pEnd) const
    {
        std::string name;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (!IsSection(lines[i], &name) || !SameName(name, section))
                continue;
            size_t end = i + 1;
            while (end < lines.size() && !IsSection(lines[end], &name))
                ++end;
            *pHeader = i;
            *pEnd = end;
            return true;
        }
        return false;
    }

    bool FindKey(size_t header, size_t end, const std::string& key, size_t* pLine,
                 std::string* pValue) const
    {
        std::string k;
        for (size_t i = header + 1; i < end; ++i) {
            if (IsKey(lines[i], &k, pValue) && SameName(k, key)) {
                *pLine = i;
                return true;
            }
        }
        return false;
    }
};

std::string Unquote(const std::string& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

INT CopyString(const std::string& text, LPSTR pBuffer, UINT nSize)
{
    if (nSize == 0)
        return 0;
    const size_t n = std::min<size_t>(text.size(), nSize - 1);
    std::memcpy(pBuffer, text.data(), n);
    pBuffer[n] = 0;
    return static_cast<INT>(n);
}

}  // namespace

INT WINAPI GetPrivateProfileStringA(LPCSTR pszSection, LPCSTR pszKey, LPCSTR pszDefault,
                                    LPSTR pBuffer, UINT nSize, LPCSTR pszFile)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    const std::string fallback = TrimRight(pszDefault ? pszDefault : "");
    if (!pszFile || !pBuffer)
        return 0;
    Profile profile;
    const std::string path = HostPath(w, pszFile);
    const bool bLoaded = !path.empty() && profile.Load(path);
    if (!pszSection || !pszKey) {
        w.Misuse(
            "GetPrivateProfileStringA of the list of sections or keys, which is not simulated");
        return CopyString("", pBuffer, nSize);
    }
    size_t header = 0, end = 0;
    const bool bSection = bLoaded && profile.FindSection(pszSection, &header, &end);
    size_t line = 0;
    std::string value;
    if (!bSection || !profile.FindKey(header, end, pszKey, &line, &value)) {
        sim::SetError(lk, ERROR_FILE_NOT_FOUND);
        return CopyString(fallback, pBuffer, nSize);
    }
    return CopyString(Unquote(value), pBuffer, nSize);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR pszSection, LPCSTR pszKey, LPCSTR pszValue,
                                       LPCSTR pszFile)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (auto nResult = w.TakeFault("WritePrivateProfileStringA")) {
        sim::SetError(lk, ERROR_ACCESS_DENIED);
        return static_cast<BOOL>(*nResult);
    }
    if (!pszSection || !pszKey || !pszValue || !pszFile) {
        w.Misuse(
            "WritePrivateProfileStringA that deletes, or writes to win.ini, which is not "
            "simulated");
        sim::SetError(lk, ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string path = HostPath(w, pszFile);
    if (path.empty()) {
        sim::SetError(lk, ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    Profile profile;
    profile.Load(path);
    size_t header = 0, end = 0;
    if (!profile.FindSection(pszSection, &header, &end)) {
        profile.lines.push_back(std::string("[") + pszSection + "]");
        header = profile.lines.size() - 1;
        end = profile.lines.size();
    }
    size_t line = 0;
    std::string old;
    const std::string entry = std::string(pszKey) + "=" + pszValue;
    if (profile.FindKey(header, end, pszKey, &line, &old)) {
        profile.lines[line] = entry;
    } else {
        // After the section's last non-blank line.
        size_t at = end;
        while (at > header + 1 && Trim(profile.lines[at - 1]).empty())
            --at;
        profile.lines.insert(profile.lines.begin() + at, entry);
    }
    if (!profile.Save(path)) {
        sim::SetError(lk, errno == ENOENT ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}
