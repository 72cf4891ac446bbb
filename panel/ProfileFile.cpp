#include "panel/ProfileFile.h"

#include "platform/win32.h"

#include <cstdio>

CProfileFile::CProfileFile(const char* pszFileName)
{
    std::snprintf(m_szSection, sizeof m_szSection, "%s", "default");
    std::snprintf(m_szFileName, sizeof m_szFileName, "%s", pszFileName);
    m_szValue[0] = '\0';
}

const char* CProfileFile::Read(const char* pszKey)
{
    GetPrivateProfileStringA(m_szSection, pszKey, "", m_szValue, sizeof m_szValue, m_szFileName);
    return m_szValue;
}

void CProfileFile::WriteString(const char* pszKey, const char* pszText)
{
    WritePrivateProfileStringA(m_szSection, pszKey, pszText, m_szFileName);
}

void CProfileFile::WriteInt(const char* pszKey, int nValue)
{
    char szText[1000];
    std::snprintf(szText, sizeof szText, "%d", nValue);
    WriteString(pszKey, szText);
}
