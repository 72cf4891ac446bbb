// The settings file: one section of a private profile file, read and written key by key.
#pragma once

class CProfileFile {
public:
    // pszFileName is used as the platform's private profile functions take it; the panel
    // passes ".\sorvanta.ini", so the file lives in the current working directory. A name
    // longer than 259 characters is cut.
    explicit CProfileFile(const char* pszFileName);

    // The key's text, or "" for a missing key or file. Valid until the next Read.
    const char* Read(const char* pszKey);
    // Failures are silent: the settings are a convenience, never a reason to stop.
    void WriteString(const char* pszKey, const char* pszText);
    void WriteInt(const char* pszKey, int nValue);

private:
    char m_szSection[32];
    char m_szFileName[260];
    char m_szValue[260];
};
