#include "tests/support/Difference.h"

#include <string>

namespace {

// In the order of DifferenceKind.
const char* const KIND_NAMES[] = {"Wine fault", "Windows variation", "missing equipment",
                                  "simulation stricter"};

const char* KindName(DifferenceKind kind)
{
    return KIND_NAMES[static_cast<int>(kind)];
}

}  // namespace

void RecordDifference(DifferenceKind kind, bool bFormFits, const char* pszName,
                      const char* pszReason)
{
    if (::testing::UnitTest::GetInstance()->current_test_info())
        ::testing::Test::RecordProperty(
            std::string("difference: ") + KindName(kind) + ": " + pszName, pszReason);
    if (!bFormFits)
        ADD_FAILURE() << "the difference \"" << pszName << "\" is a " << KindName(kind)
                      << ", which that form of Difference() does not serve";
}

bool Difference(DifferenceKind kind, const char* pszName, const char* pszReason, bool bPresent)
{
    RecordDifference(kind, kind == DifferenceKind::MissingEquipment, pszName, pszReason);
    if (!bPresent && ThisSystem() == System::Simulation)
        ADD_FAILURE() << "the simulation lacks " << pszName << ", and it has all its equipment";
    return !bPresent;
}

bool Difference(DifferenceKind kind, const char* pszName, const char* pszReason)
{
    RecordDifference(kind, kind == DifferenceKind::SimulationStricter, pszName, pszReason);
    return ThisSystem() == System::Simulation;
}
