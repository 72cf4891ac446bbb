#include "tests/e2e/wavcheck/Wav.h"
#include <gtest/gtest.h>
TEST(Wav, Placeholder) {}
