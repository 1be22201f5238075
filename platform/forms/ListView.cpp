// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/ListView.h"

#include <algorithm>

#include "platform/com/Error.h"
#include "platform/support/TextCase.h"

namespace platform::forms {

namespace {
using platform::com::Error;
namespace errc = platform::com::errc;
using platform::com::standardDescription;
constexpr const char* kSource = "ListItems";

Error indexOutOfBounds() {
    return Error(errc::IndexOutOfBounds, kSource, standardDescription(errc::IndexOutOfBounds));
}
}  // namespace

ListItem::ListItem(ListView& list, std::string key, std::string text)
    : list_(list), key_(std::move(key)), text_(std::move(text)) {}

int ListItem::index() const {
    return list_.indexOf(*this);
}

void ListItem::setText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    list_.itemChanged(*this, Change::ItemText);
}

void ListItem::setChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    list_.itemChanged(*this, Change::ItemChecked);
}

bool ListItem::selected() const {
    return list_.selectedItem() == this;
}

ListView::ListView(Form& form, std::string name) : Control(form, ControlKind::ListView, std::move(name)) {}

ListView::~ListView() = default;

void ListView::addColumn(std::string text, int width) {
    columns_.push_back({std::move(text), width});
    notify(Change::Columns);
}

void ListView::setCheckBoxes(bool checkBoxes) {
    if (checkBoxes == checkBoxes_) return;
    checkBoxes_ = checkBoxes;
    notify(Change::Appearance);
}

ListItem& ListView::add(std::string key, std::string text) {
    if (!key.empty() && find(key)) throw Error(errc::KeyNotUnique, kSource, standardDescription(errc::KeyNotUnique));
    items_.push_back(std::unique_ptr<ListItem>(new ListItem(*this, std::move(key), std::move(text))));
    notify(Change::Items, count());
    return *items_.back();
}

void ListView::clear() {
    if (items_.empty()) return;
    selected_ = nullptr;
    items_.clear();
    notify(Change::Items);
}

void ListView::remove(int index) {
    if (index < 1 || index > count()) throw indexOutOfBounds();
    if (selected_ == items_[static_cast<std::size_t>(index - 1)].get()) selected_ = nullptr;
    items_.erase(items_.begin() + (index - 1));
    notify(Change::Items);
}

ListItem& ListView::item(int index) const {
    if (index < 1 || index > count()) throw indexOutOfBounds();
    return *items_[static_cast<std::size_t>(index - 1)];
}

ListItem& ListView::item(std::string_view key) const {
    if (ListItem* found = find(key)) return *found;
    throw Error(errc::ElementNotFound, kSource, standardDescription(errc::ElementNotFound));
}

ListItem* ListView::find(std::string_view key) const {
    if (key.empty()) return nullptr;
    for (auto& item : items_)
        if (platform::equalsIgnoreCase(item->key(), key)) return item.get();
    return nullptr;
}

void ListView::select(ListItem* item) {
    if (item == selected_) return;
    selected_ = item;
    notify(Change::Selection, item ? item->index() : 0);
}

void ListView::raiseItemClick(ListItem& item) {
    if (itemClick_) itemClick_(item);
}

void ListView::raiseItemCheck(ListItem& item) {
    if (itemCheck_) itemCheck_(item);
}

int ListView::indexOf(const ListItem& item) const {
    auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& p) { return p.get() == &item; });
    return it == items_.end() ? 0 : static_cast<int>(it - items_.begin()) + 1;
}

void ListView::itemChanged(const ListItem& item, Change change) {
    notify(change, indexOf(item));
}

void ListView::saveLoadState() {
    Control::saveLoadState();
    loadColumns_ = columns_;
    loadCheckBoxes_ = checkBoxes_;
    loadItems_.clear();
    for (auto& item : items_) loadItems_.push_back({item->key(), item->text(), item->tag(), item->checked()});
}

void ListView::restoreLoadState() {
    Control::restoreLoadState();
    columns_ = loadColumns_;
    checkBoxes_ = loadCheckBoxes_;
    selected_ = nullptr;
    items_.clear();
    for (auto& saved : loadItems_) {
        items_.push_back(std::unique_ptr<ListItem>(new ListItem(*this, saved.key, saved.text)));
        items_.back()->tag_ = saved.tag;
        items_.back()->checked_ = saved.checked;
    }
}

}  // namespace platform::forms
