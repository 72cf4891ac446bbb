// Runs a test in a fresh, empty current directory of its own, and goes back afterwards.
#pragma once

#include <string>

class CTempDirectory
{
public:
    CTempDirectory();
    ~CTempDirectory();
    CTempDirectory(const CTempDirectory&) = delete;
    CTempDirectory& operator=(const CTempDirectory&) = delete;
    const std::string& Path() const { return m_path; }
    // The content of a file in it, "" when there is none.
    std::string Read(const std::string& name) const;

private:
    std::string m_path;
    std::string m_previous;
};
