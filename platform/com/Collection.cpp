// SPDX-License-Identifier: Apache-2.0
#include "platform/com/Collection.h"

#include "platform/com/Error.h"

namespace platform::com {

namespace {
class StringCollection final : public Object<IStringCollection> {
public:
    void Add(const std::string& item) override { items_.push_back(item); }
    std::string Item(std::int32_t index) override { return items_.at(checked(index)); }
    std::int32_t Count() override { return static_cast<std::int32_t>(items_.size()); }
    void Remove(std::int32_t index) override {
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(checked(index)));
    }
    std::vector<std::string> Items() override { return items_; }

private:
    std::size_t checked(std::int32_t index) const {
        if (index < 1 || static_cast<std::size_t>(index) > items_.size()) throw Error::subscriptOutOfRange();
        return static_cast<std::size_t>(index - 1);
    }
    std::vector<std::string> items_;
};
}  // namespace

Ptr<IStringCollection> makeStringCollection() {
    return make<StringCollection>();
}

}  // namespace platform::com
