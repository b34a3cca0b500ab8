// One QApplication for every GUI test of this program.
#include "support/QtTests.h"

namespace {

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new varnadex::test::QtEnvironment);

} // namespace
