#include "tests/support/TempDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

CTempDirectory::CTempDirectory()
{
    m_previous = std::filesystem::current_path().string();
    std::string pattern =
        (std::filesystem::temp_directory_path() / "sorvanta-test-XXXXXX").string();
    m_path = mkdtemp(pattern.data());
    std::filesystem::current_path(m_path);
}

CTempDirectory::~CTempDirectory()
{
    std::filesystem::current_path(m_previous);
    std::filesystem::remove_all(m_path);
}

std::string CTempDirectory::Read(const std::string& name) const
{
    std::ifstream in(std::filesystem::path(m_path) / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
