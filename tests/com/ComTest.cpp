// SPDX-License-Identifier: Apache-2.0
#include <gtest/gtest.h>

#include <type_traits>

#include <velpack/Velpack.h>

#include "platform/com/Collection.h"
#include "platform/com/Creation.h"
#include "platform/com/Error.h"
#include "platform/com/Events.h"
#include "platform/registry/RegistryStore.h"
#include "tests/support/Programs.h"
#include "tests/support/TestPrefix.h"

using namespace platform::com;
using testing_support::Libraries;
using testing_support::TestPrefix;

namespace {

TEST(Guid, ParsesAndPrintsTheRegistryForm) {
    constexpr Guid g = Guid::literal("{11DB8F03-663C-4819-9533-DAEAC974F906}");
    EXPECT_EQ(g.toString(), "{11DB8F03-663C-4819-9533-DAEAC974F906}");
    EXPECT_EQ(Guid::parse("11db8f03-663c-4819-9533-daeac974f906"), g);
    for (const char* bad : {"", "{11DB8F03-663C-4819-9533-DAEAC974F906", "11DB8F03-663C-4819-9533-DAEAC974F90G",
                            "11DB8F03_663C-4819-9533-DAEAC974F906"})
        EXPECT_FALSE(Guid::parse(bad).has_value()) << bad;
}

struct IProbe : Unknown {
    static constexpr Guid iid = Guid::literal("00000000-1111-2222-3333-444444444444");
    virtual int value() = 0;
};
struct IOther : Unknown {
    static constexpr Guid iid = Guid::literal("00000000-1111-2222-3333-555555555555");
};
int destroyed = 0;
class Probe final : public Object<IProbe, IOther> {
public:
    int value() override { return 42; }
    ~Probe() override { ++destroyed; }
};

// A pointer changes interface implicitly only where the pointer conversion is implicit; a raw
// pointer never becomes an owner without saying so.
static_assert(std::is_convertible_v<Ptr<IProbe>, Ptr<Unknown>>);
static_assert(!std::is_convertible_v<Ptr<Unknown>, Ptr<IProbe>>);
static_assert(!std::is_constructible_v<Ptr<IOther>, Ptr<IProbe>>);
static_assert(!std::is_convertible_v<IProbe*, Ptr<IProbe>>);

TEST(Objects, CountReferencesAndAnswerForEachInterface) {
    destroyed = 0;
    {
        Ptr<IProbe> probe = make<Probe>();
        Ptr<IOther> other = probe.query<IOther>();
        ASSERT_TRUE(other);
        Ptr<Unknown> unknown = other.query<Unknown>();
        ASSERT_TRUE(unknown);
        EXPECT_EQ(unknown.query<IProbe>()->value(), 42);
        EXPECT_FALSE(probe.query<IStringCollection>());
        probe.reset();
        EXPECT_EQ(destroyed, 0);  // still held through the other interfaces
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(Collections, AreOrderedAndIndexedFromOne) {
    auto c = makeStringCollection();
    c->Add("a");
    c->Add("b");
    c->Add("c");
    c->Remove(2);
    EXPECT_EQ(c->Count(), 2);
    EXPECT_EQ(c->Item(1), "a");
    EXPECT_EQ(c->Item(2), "c");
    EXPECT_EQ(c->Items(), (std::vector<std::string>{"a", "c"}));
    for (int bad : {0, 3, -1}) {
        try {
            c->Item(bad);
            ADD_FAILURE() << bad;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), 9);
        }
    }
}

struct IPing : Unknown {
    static constexpr Guid iid = Guid::literal("00000000-1111-2222-3333-666666666666");
    virtual void Ping(int n) = 0;
};
class Recorder final : public Object<IPing> {
public:
    void Ping(int n) override { seen.push_back(n); }
    std::vector<int> seen;
};

TEST(Events, ReachEveryAdvisedSinkInOrderUntilUnadvised) {
    EventSinks<IPing> sinks;
    auto a = make<Recorder>();
    auto b = make<Recorder>();
    std::uint32_t ca = sinks.advise(a.get());
    sinks.advise(b.get());
    Ptr<IProbe> notASink = make<Probe>();
    EXPECT_EQ(sinks.advise(notASink.get()), 0u);
    sinks.raise(&IPing::Ping, 1);
    sinks.unadvise(ca);
    sinks.raise(&IPing::Ping, 2);
    EXPECT_EQ(a->seen, std::vector<int>{1});
    EXPECT_EQ(b->seen, (std::vector<int>{1, 2}));
}

TEST(ClassCreation, CreatesRegisteredClassesAndFailsWith429OnceUnregistered) {
    TestPrefix prefix(Libraries::Registered);
    auto zip = createObject<velpack::IZIPFile>(velpack::kZIPFileProgId);
    ASSERT_TRUE(zip);
    zip->put_ArchiveName("C:\\x.zip");
    EXPECT_EQ(zip->get_ArchiveName(), "C:\\x.zip");
    EXPECT_TRUE(zip.query<IEventSource>());
    // The earlier interface identifiers still reach the object.
    EXPECT_TRUE(queryAs<velpack::IZIPFile>(zip.get()));
    EXPECT_TRUE(Ptr<Unknown>::adopt(static_cast<Unknown*>(zip->queryInterface(velpack::IID_ZIPFile_v1))));
    // By CLSID as well.
    EXPECT_TRUE(createObject(velpack::CLSID_PatchModule).query<velpack::IPatchModule>());

    auto& store = platform::registry::RegistryStore::forPrefix();
    std::string library = store.readText(platform::registry::Hive::ClassesRoot,
                                         "CLSID\\" + velpack::CLSID_ZIPFile.toString() + "\\InprocServer32", "", "");
    auto result = testing_support::runProgram(testing_support::program("regsvr32"), {"/u", "/s", library});
    ASSERT_EQ(result.status, 0) << result.err;

    try {
        createObject(velpack::kZIPFileProgId);
        FAIL() << "created an unregistered class";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 429);
        EXPECT_NE(e.description().find("Velpack.ZIPFile"), std::string::npos) << e.description();
    }
}

TEST(ClassCreation, FailsWith429WhenTheLibraryCannotBeLoaded) {
    TestPrefix prefix(Libraries::Registered);
    auto& store = platform::registry::RegistryStore::forPrefix();
    store.setValue(platform::registry::Hive::ClassesRoot,
                   "CLSID\\" + velpack::CLSID_RARFile.toString() + "\\InprocServer32", "",
                   platform::registry::Value::string("/nowhere/Missing.so"));
    try {
        createObject(velpack::kRARFileProgId);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 429);
        EXPECT_NE(e.description().find("/nowhere/Missing.so"), std::string::npos) << e.description();
    }
    try {
        createObject("No.SuchClass");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 429);
    }
}

}  // namespace

namespace {

TEST(Regsvr32, ReportsTheOutcomeInAMessageBoxUnlessSilent) {
    TestPrefix prefix(Libraries::Registered);
    const std::string library = std::string(QUILLON_LIB_DIR) + "/Gorsla.so";
    testing_support::RunOptions console;
    console.environment = {{"QUILLON_UI", "console"}};
    auto run = [&](const std::vector<std::string>& args) {
        return testing_support::runProgram(testing_support::program("regsvr32"), args, console);
    };

    auto loud = run({library});
    EXPECT_EQ(loud.status, 0) << loud.err;
    EXPECT_EQ(loud.out, "RegSvr32\nDllRegisterServer in " + library + " erfolgreich.\n");

    auto quiet = run({"/s", "/u", library});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_THROW(createObject("Gorsla.Tools"), Error);

    auto missing = run({"C:\\windows\\system32\\nothing.dll"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("Das Modul \"C:\\windows\\system32\\nothing.dll\" konnte nicht geladen werden."),
              std::string::npos)
        << missing.out;
    EXPECT_NE(missing.err.find("nothing.dll"), std::string::npos);  // scripts see why, silent or not

    // A failed registration names its reason, not only its status code: here the prefix is
    // a folder that was never made one.
    const auto notAPrefix = testing_support::makeTempDirectory("not-a-prefix");
    testing_support::RunOptions elsewhere = console;
    elsewhere.environment.push_back({"QUILLON_PREFIX", notAPrefix.string()});
    auto failed = testing_support::runProgram(testing_support::program("regsvr32"), {library}, elsewhere);
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.out.find("ist mit dem Fehlercode 0x80040201 fehlgeschlagen.\n\n"), std::string::npos)
        << failed.out;
    EXPECT_NE(failed.out.find(notAPrefix.string()), std::string::npos) << "the reason names the prefix: " << failed.out;

    EXPECT_EQ(run({}).status, 1);  // usage
}

}  // namespace
