// The first start's tip: shown once per user, as the user's own value says.
#include <gtest/gtest.h>

#include "app/first_start_tip.h"
#include "tests/support/memory_registry.h"

namespace {

TEST(FirstStartTip, OnlyTheUsersOwnValueOneCounts) {
    MemoryRegistry registry;
    registry.create(RegistryRoot::Machine, "Software\\QuarvWecker").writeDword("tipshown", 1);
    registry.create(RegistryRoot::User, "Software\\QuarvWecker").writeDword("tipshown", 2);
    EXPECT_FALSE(firstStartTipShown(registry));
    EXPECT_TRUE(rememberFirstStartTip(registry));
    EXPECT_TRUE(firstStartTipShown(registry));
    registry.failCall(1);
    EXPECT_FALSE(rememberFirstStartTip(registry));
}

} // namespace
