// SPDX-License-Identifier: Apache-2.0
// The registry store's rules: names, order, types and their text forms, defaults, deletion,
// transactions, and the prefix it belongs to.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <stdexcept>

#include "platform/prefix/Prefix.h"
#include "platform/registry/RegistryStore.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TestPrefix.h"

namespace fs = std::filesystem;
using namespace platform::registry;
using testing_support::TestPrefix;

namespace {

constexpr Hive LM = Hive::LocalMachine;

class Store : public ::testing::Test {
protected:
    TestPrefix prefix;
    RegistryStore& store = RegistryStore::forPrefix();

    std::vector<std::string> valueNames(std::string_view key) {
        std::vector<std::string> names;
        for (const auto& v : store.values(LM, key)) names.push_back(v.name);
        return names;
    }
};

TEST_F(Store, NamesMatchInAnyCaseAndKeepTheCaseTheyWereMadeWith) {
    store.createKey(LM, "Software\\MyApp");
    store.createKey(LM, "SOFTWARE\\MYAPP\\Sub");
    EXPECT_TRUE(store.keyExists(LM, "software\\myapp\\SUB"));
    EXPECT_EQ(store.storedPath(LM, "\\software\\\\MYAPP\\sub\\"), "Software\\MyApp\\Sub");
    EXPECT_EQ(store.subkeys(LM, "software"), std::vector<std::string>{"MyApp"});
    EXPECT_FALSE(store.keyExists(Hive::CurrentUser, "Software\\MyApp"));  // hives are apart

    // Non-ASCII letters fold too.
    store.setValue(LM, "Software\\MyApp", "Größe", Value::string("1"));
    store.setValue(LM, "SOFTWARE\\myapp", "GRÖßE", Value::string("2"));
    auto values = store.values(LM, "Software\\MyApp");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "Größe");
    EXPECT_EQ(values[0].value, Value::string("2"));
    store.createKey(LM, "Software\\Äpfel");
    EXPECT_EQ(store.keyName(LM, "software\\äPFEL"), "Äpfel");
}

TEST_F(Store, SubkeysListInCaseInsensitiveOrder) {
    for (const char* name : {"beta", "_under", "Zeta", "Äpfel", "Alpha", "gamma", "alpha2"})
        store.createKey(LM, std::string("Software\\Order\\") + name);
    EXPECT_EQ(store.subkeys(LM, "Software\\Order"),
              (std::vector<std::string>{"Alpha", "alpha2", "beta", "gamma", "Zeta", "_under", "Äpfel"}));
}

TEST_F(Store, ValuesKeepTheirCreationOrderWhenOverwritten) {
    const char* key = "Software\\Values";
    for (const char* name : {"c", "a", "b"}) store.setValue(LM, key, name, Value::string(name));
    store.setValue(LM, key, "A", Value::dword(7));  // another type, another case
    EXPECT_EQ(valueNames(key), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(store.value(LM, key, "a"), Value::dword(7));

    ASSERT_TRUE(store.deleteValue(LM, key, "C"));
    store.setValue(LM, key, "C", Value::string("again"));  // a new value goes last
    EXPECT_EQ(valueNames(key), (std::vector<std::string>{"a", "b", "C"}));
}

struct TextCase {
    Value value;
    std::string text;
};

TEST_F(Store, EveryTypeHasATextFormThatReadsBack) {
    const TextCase cases[] = {
        {Value::string("Hallo Welt"), "Hallo Welt"},
        {Value::string(""), ""},
        {Value::expandString("%TEMP%\\x"), "%TEMP%\\x"},  // not expanded
        {Value::binary({0x00, 0xAB, 0x10}), "00AB10"},
        {Value::binary({}), ""},
        {Value::dword(0), "0"},
        {Value::dword(4294967295u), "4294967295"},
        {Value::qword(18446744073709551615u), "18446744073709551615"},
        {Value::multiString({"a", "b c"}), "a\\0b c"},
        {Value::multiString({}), ""},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::string name = "v" + std::to_string(n++);
        store.setValue(LM, "Software\\Types", name, c.value);
        EXPECT_EQ(store.value(LM, "Software\\Types", name), c.value) << name;
        EXPECT_EQ(store.readText(LM, "Software\\Types", name, "fallback"), c.text) << name;
        EXPECT_EQ(Value::fromText(c.value.type(), c.text), c.value) << name;
    }
}

TEST(ValueText, ReadsCommandLineFormsAndRejectsBadOnes) {
    EXPECT_EQ(Value::fromText(ValueType::DWord, "0x1F"), Value::dword(31));
    EXPECT_EQ(Value::fromText(ValueType::DWord, " 12 "), Value::dword(12));
    EXPECT_EQ(Value::fromText(ValueType::QWord, "0xFFFFFFFFFFFFFFFF"), Value::qword(~std::uint64_t{0}));
    EXPECT_EQ(Value::fromText(ValueType::Binary, "00ff"), Value::binary({0x00, 0xFF}));
    EXPECT_EQ(Value::fromText(ValueType::MultiString, "a\\0\\0b"), Value::multiString({"a", "", "b"}));
    const std::pair<ValueType, const char*> bad[] = {
        {ValueType::DWord, "4294967296"}, {ValueType::DWord, "-1"},  {ValueType::DWord, "abc"},
        {ValueType::DWord, "0x"},         {ValueType::DWord, ""},    {ValueType::QWord, "18446744073709551616"},
        {ValueType::Binary, "ABC"},       {ValueType::Binary, "zz"},
    };
    for (const auto& [type, text] : bad) EXPECT_FALSE(Value::fromText(type, text).has_value()) << text;
}

TEST_F(Store, ReadsOfMissingKeysAndValuesGiveTheDefault) {
    store.setValue(LM, "Software\\There", "Name", Value::string("x"));
    EXPECT_EQ(store.readText(LM, "Software\\Missing", "Name", "n/a"), "n/a");
    EXPECT_EQ(store.readText(LM, "Software\\There", "Missing", "0"), "0");
    EXPECT_EQ(store.readText(LM, "Software\\There", "name", "0"), "x");
    EXPECT_FALSE(store.value(LM, "Software\\Missing", "Name"));
    EXPECT_TRUE(store.values(LM, "Software\\Missing").empty());
    EXPECT_TRUE(store.subkeys(LM, "Software\\Missing").empty());
    EXPECT_FALSE(store.storedPath(LM, "Software\\Missing"));
    EXPECT_FALSE(store.deleteValue(LM, "Software\\Missing", "Name"));
    EXPECT_FALSE(store.deleteValue(LM, "Software\\There", "Missing"));
    EXPECT_FALSE(store.deleteKey(LM, "Software\\Missing", Subtree::Delete));
}

int countRows(const fs::path& db, const char* table) {
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(db.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) throw std::runtime_error("open");
    sqlite3_stmt* st = nullptr;
    std::string sql = std::string("SELECT count(*) FROM ") + table;
    sqlite3_prepare_v2(raw, sql.c_str(), -1, &st, nullptr);
    int n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
    sqlite3_finalize(st);
    sqlite3_close(raw);
    return n;
}

TEST_F(Store, DeletesWholeSubtreesAndOnlyEmptyKeysWhenAskedToKeepThem) {
    store.setValue(LM, "Software\\A\\B\\C", "deep", Value::dword(1));
    store.setValue(LM, "Software\\A\\B", "mid", Value::dword(2));
    store.setValue(LM, "Software\\A", "top", Value::dword(3));

    EXPECT_FALSE(store.deleteKey(LM, "Software\\A", Subtree::Keep));
    EXPECT_EQ(store.readText(LM, "Software\\A\\B\\C", "deep", ""), "1");
    EXPECT_TRUE(store.deleteKey(LM, "software\\a\\b\\c", Subtree::Keep));
    EXPECT_FALSE(store.keyExists(LM, "Software\\A\\B\\C"));

    store.setValue(LM, "Software\\A\\B\\C", "deep", Value::dword(1));
    EXPECT_TRUE(store.deleteKey(LM, "SOFTWARE\\A", Subtree::Delete));
    EXPECT_FALSE(store.keyExists(LM, "Software\\A"));
    EXPECT_TRUE(store.keyExists(LM, "Software"));
    store.createKey(LM, "Software\\A\\B");
    EXPECT_TRUE(store.values(LM, "Software\\A\\B").empty());  // nothing left over from before
    EXPECT_EQ(countRows(store.path(), "vals"), 0);            // no unreachable values either

    EXPECT_FALSE(store.deleteKey(LM, "", Subtree::Delete));  // a hive stays
    EXPECT_FALSE(store.deleteKey(LM, "\\", Subtree::Delete));
    EXPECT_TRUE(store.keyExists(LM, "Software\\A"));
}

TEST_F(Store, ATransactionMakesAllItsChangesOrNone) {
    EXPECT_THROW(store.transaction([&] {
        store.setValue(LM, "Software\\T", "one", Value::dword(1));
        store.createKey(LM, "Software\\T\\Sub");
        throw std::runtime_error("stop");
    }),
                 std::runtime_error);
    EXPECT_FALSE(store.keyExists(LM, "Software\\T"));

    // An inner transaction that fails takes back only its own changes, even when the outer
    // work catches the failure and goes on.
    store.transaction([&] {
        store.setValue(LM, "Software\\T", "outer", Value::dword(1));
        try {
            store.transaction([&] {
                store.setValue(LM, "Software\\T", "inner", Value::dword(2));
                store.deleteValue(LM, "Software\\T", "outer");
                throw std::runtime_error("inner fails");
            });
        } catch (const std::runtime_error&) {
        }
        store.setValue(LM, "Software\\T", "after", Value::dword(3));
    });
    EXPECT_EQ(valueNames("Software\\T"), (std::vector<std::string>{"outer", "after"}));
}

// Points QUILLON_PREFIX somewhere else for one test.
class PrefixVariable {
public:
    explicit PrefixVariable(const fs::path& where) : variable_("QUILLON_PREFIX", where.string()) {
        RegistryStore::resetPrefixStore();
    }
    // The store of the prefix set here goes before the variable is restored.
    ~PrefixVariable() { RegistryStore::resetPrefixStore(); }
    PrefixVariable(const PrefixVariable&) = delete;
    PrefixVariable& operator=(const PrefixVariable&) = delete;

private:
    testing_support::ScopedEnvironment variable_;
};

TEST(PrefixStore, APrefixThatWasNeverMadeIsAnErrorAndGetsNoStore) {
    fs::path dir = testing_support::makeTempDirectory("quillon-unmade");
    {
        PrefixVariable missing(dir / "never");
        EXPECT_THROW(RegistryStore::forPrefix(), StoreError);
    }
    {
        PrefixVariable empty(dir);
        EXPECT_THROW(RegistryStore::forPrefix(), StoreError);
    }
    EXPECT_FALSE(fs::exists(dir / "never"));
    EXPECT_FALSE(fs::exists(dir / "registry.db"));
    fs::remove_all(dir);
}

}  // namespace
