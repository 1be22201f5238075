// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/RegistryKeyLister.h"

#include <optional>
#include <utility>

#include "platform/com/Error.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/common/Errors.h"
#include "platform/gorsl/gorslb/RegistryAccess.h"

namespace gorsl {

namespace {
namespace reg = platform::registry;

class RegistryItems final : public platform::com::Object<IRegistryItems> {
public:
    explicit RegistryItems(std::vector<RegistryItem> items) : items_(std::move(items)) {}
    std::int32_t Count() override { return static_cast<std::int32_t>(items_.size()); }
    RegistryItem Item(std::int32_t index) override {
        if (index < 1 || static_cast<std::size_t>(index) > items_.size())
            throw platform::com::Error::subscriptOutOfRange(kKeyListerSource);
        return items_[static_cast<std::size_t>(index - 1)];
    }
    std::vector<RegistryItem> Items() override { return items_; }

private:
    std::vector<RegistryItem> items_;
};

class RegistryKeyLister final : public platform::com::Object<IRegistryKeyLister> {
public:
    void Open(std::int32_t hive, const std::string& keyPath, Boolean listSubkeys, Boolean listValues) override {
        const reg::Hive h = hiveFromHandle(hive, kKeyListerSource);
        std::optional<std::vector<RegistryItem>> subkeys, values;
        withRegistry(kKeyListerSource, [&](reg::RegistryStore& store) {
            if (listSubkeys) {
                subkeys.emplace();
                for (auto& name : store.subkeys(h, keyPath)) subkeys->push_back({std::move(name), {}});
            }
            if (listValues) {
                values.emplace();
                for (auto& named : store.values(h, keyPath)) values->push_back({named.name, named.value.text()});
            }
        });
        subkeys_ = std::move(subkeys);
        values_ = std::move(values);
    }
    Ptr<IRegistryItems> Subkeys() override { return listed(subkeys_, "subkeys"); }
    Ptr<IRegistryItems> Values() override { return listed(values_, "values"); }

private:
    static Ptr<IRegistryItems> listed(const std::optional<std::vector<RegistryItem>>& items, const char* what) {
        if (!items) throw invalidArgument(kKeyListerSource, std::string("the lister was not opened to list ") + what);
        return platform::com::make<RegistryItems>(*items);
    }
    std::optional<std::vector<RegistryItem>> subkeys_;
    std::optional<std::vector<RegistryItem>> values_;
};
}  // namespace

platform::com::Ptr<platform::com::Unknown> createRegistryKeyLister() {
    return platform::com::make<RegistryKeyLister>();
}

}  // namespace gorsl
