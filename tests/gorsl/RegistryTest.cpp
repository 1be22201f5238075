// SPDX-License-Identifier: Apache-2.0
// Gorslb's registry read, write, create key and the key lister, through the registered
// library, over the prefix's registry store.
#include <gtest/gtest.h>

#include "platform/registry/RegistryStore.h"
#include "tests/gorsl/GorslTesting.h"

namespace gorsl_testing {
namespace {

namespace reg = platform::registry;
using platform::com::False;
using platform::com::True;

constexpr const char* kBase = "Software\\Orvane\\Software Updates";
constexpr const char* kProducts = "Software\\Orvane\\Software Updates\\Products";

class Registry : public RegisteredPrefix {
protected:
    reg::RegistryStore& store() { return reg::RegistryStore::forPrefix(); }
    Ptr<gorsl::IRegistryKeyLister> lister =
        platform::com::createObject<gorsl::IRegistryKeyLister>(gorsl::kKeyListerProgId);
};

TEST_F(Registry, ReadsTheDefaultForWhatIsMissing) {
    EXPECT_EQ(system->RegistryRead(HKLM, "Software\\Nobody\\Here", "Title", "n/a"), "n/a");
    system->RegistryWrite(HKLM, std::string(kProducts) + "\\Prod", "Title", "Produkt", 1);
    EXPECT_EQ(system->RegistryRead(HKLM, std::string(kProducts) + "\\Prod", "Title", "n/a"), "Produkt");
    EXPECT_EQ(system->RegistryRead(HKLM, std::string(kProducts) + "\\Prod", "VerMaj", "0"), "0");
    EXPECT_EQ(system->RegistryRead(HKLM, std::string(kProducts) + "\\PROD", "title", ""), "Produkt");
}

TEST_F(Registry, WritesStringValuesCreatingTheirKey) {
    system->RegistryWrite(HKLM, kBase, "LastResult", "1", 1);
    auto stored = store().value(reg::Hive::LocalMachine, kBase, "LastResult");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type(), reg::ValueType::String);
    EXPECT_EQ(stored->asString(), "1");

    system->RegistryWrite(HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "Quillon-1",
                          "regsvr32 /s \"C:\\windows\\system32\\x.dll\"", 1);
    EXPECT_EQ(system->RegistryRead(HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "Quillon-1", ""),
              "regsvr32 /s \"C:\\windows\\system32\\x.dll\"");
}

TEST_F(Registry, WritesOtherTypesOrRefusesWhatDoesNotFit) {
    system->RegistryWrite(HKLM, kBase, "Count", "42", 4);
    EXPECT_EQ(store().value(reg::Hive::LocalMachine, kBase, "Count")->type(), reg::ValueType::DWord);
    EXPECT_EQ(system->RegistryRead(HKLM, kBase, "Count", ""), "42");
    EXPECT_EQ(errorNumberOf([&] { system->RegistryWrite(HKLM, kBase, "Bad", "forty-two", 4); }), 5);
    EXPECT_EQ(errorNumberOf([&] { system->RegistryWrite(HKLM, kBase, "Bad", "x", 99); }), 5);
    EXPECT_FALSE(store().value(reg::Hive::LocalMachine, kBase, "Bad"));
}

TEST_F(Registry, CreatesKeysAndRefusesUnknownHives) {
    system->CreateKey(HKLM, kBase);
    system->CreateKey(HKLM, std::string(kProducts) + "\\A\\B");
    EXPECT_TRUE(store().keyExists(reg::Hive::LocalMachine, std::string(kProducts) + "\\A\\B"));
    for (std::int32_t hive : {0, 42, static_cast<std::int32_t>(0x80000005u)})
        EXPECT_EQ(errorNumberOf([&] { system->RegistryRead(hive, kBase, "x", ""); }), 5) << hive;
    EXPECT_EQ(system->RegistryRead(-2147483647, "Software", "none", "hkcu"), "hkcu");  // HKCU is a hive too
}

TEST_F(Registry, ListsSubkeysInTheStoresOrder) {
    for (const char* product : {"Zeta", "alpha", "Mid"})
        store().createKey(reg::Hive::LocalMachine, std::string(kProducts) + "\\" + product);
    lister->Open(HKLM, kProducts, True, False);
    auto subkeys = lister->Subkeys();
    ASSERT_EQ(subkeys->Count(), 3);
    EXPECT_EQ(subkeys->Item(1).Name, "alpha");
    EXPECT_EQ(subkeys->Item(2).Name, "Mid");
    EXPECT_EQ(subkeys->Item(3).Name, "Zeta");
    EXPECT_EQ(errorNumberOf([&] { subkeys->Item(4); }), 9);
    EXPECT_EQ(errorNumberOf([&] { lister->Values(); }), 5);  // not asked for
}

TEST_F(Registry, ListsValuesInCreationOrderWithTheirText) {
    const std::string vars = std::string(kProducts) + "\\Prod\\Vars";
    store().setValue(reg::Hive::LocalMachine, vars, "Dir", reg::Value::string("C:\\Prog"));
    store().setValue(reg::Hive::LocalMachine, vars, "@Path", reg::Value::string("-2147483646 Software\\X"));
    store().setValue(reg::Hive::LocalMachine, vars, "Size", reg::Value::dword(7));
    lister->Open(HKLM, vars, False, True);
    auto values = lister->Values()->Items();
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].Name, "Dir");
    EXPECT_EQ(values[0].Data, "C:\\Prog");
    EXPECT_EQ(values[1].Name, "@Path");
    EXPECT_EQ(values[2].Data, "7");
}

TEST_F(Registry, ListsAMissingKeyAsEmpty) {
    EXPECT_NO_THROW(lister->Open(HKLM, "Software\\Orvane\\Nothing\\Here", True, True));
    EXPECT_EQ(lister->Subkeys()->Count(), 0);
    EXPECT_EQ(lister->Values()->Count(), 0);
    EXPECT_EQ(errorNumberOf([&] { lister->Open(12345, kProducts, True, False); }), 5);
}

}  // namespace
}  // namespace gorsl_testing
