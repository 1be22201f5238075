// SPDX-License-Identifier: Apache-2.0
// The wizard's way to the tool libraries: one global object each for Gorsla and Gorslb, made
// on first use, and creation errors that reach the caller.
#include <gtest/gtest.h>

#include "platform/com/Error.h"
#include "platform/registry/RegistryStore.h"
#include "quillon/toollib/ToolLibrary.h"
#include "tests/support/Programs.h"
#include "tests/support/TestPrefix.h"

namespace {

namespace toollib = quillon::toollib;
using testing_support::Libraries;
using testing_support::TestPrefix;

class ToolLibrary : public ::testing::Test {
protected:
    void TearDown() override { toollib::releaseGlobalObjects(); }
};

TEST_F(ToolLibrary, MakesEachGlobalObjectOnceAndKeepsIt) {
    TestPrefix prefix(Libraries::Registered);
    gorsl::IGorsla& first = toollib::gorsla();
    EXPECT_EQ(&toollib::gorsla(), &first);
    EXPECT_EQ(first.FirstWord("s Produkt"), "s");
    EXPECT_EQ(&toollib::gorslb(), &toollib::gorslb());
    // The global object serves every part of the run, so its install temp folder is the one.
    EXPECT_EQ(toollib::gorslb().SpecialFolder(1003, 0, 0), toollib::gorslb().SpecialFolder(1003, 0, 0));
    EXPECT_TRUE(toollib::makeProcessRunner());
    EXPECT_TRUE(toollib::makeInternetClient());
    auto lister = toollib::makeKeyLister();
    lister->Open(toollib::HKEY_LOCAL_MACHINE, "Software\\Orvane\\Software Updates\\Products", -1, 0);
    EXPECT_EQ(lister->Subkeys()->Count(), 0);
    EXPECT_NE(toollib::makeProcessRunner(), toollib::makeProcessRunner());  // a new runner every time
}

TEST_F(ToolLibrary, PassesCreationErrorsOnAndTriesAgainLater) {
    TestPrefix prefix(Libraries::Registered);
    auto& store = platform::registry::RegistryStore::forPrefix();
    store.deleteKey(platform::registry::Hive::ClassesRoot, "Gorslb.System", platform::registry::Subtree::Delete);
    try {
        toollib::gorslb();
        ADD_FAILURE() << "an unregistered Gorslb was created";
    } catch (const platform::com::Error& e) {
        EXPECT_EQ(e.number(), 429);
        EXPECT_NE(e.description().find("Gorslb.System"), std::string::npos) << e.description();
    }
    EXPECT_NO_THROW(toollib::gorsla());  // the other library is not affected

    const auto library = std::filesystem::path(QUILLON_LIB_DIR) / "Gorslb.so";
    ASSERT_EQ(testing_support::runProgram(testing_support::program("regsvr32"), {"/s", library.string()}).status, 0);
    EXPECT_EQ(toollib::gorslb().Ready(), platform::com::True);
}

}  // namespace
