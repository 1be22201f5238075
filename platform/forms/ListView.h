// SPDX-License-Identifier: Apache-2.0
// The list view of the form model, in report view: column headers, optional check boxes, and
// rows (items) with key, text, tag and checked state, addressed from 1 like the host's
// collections. Errors are the host's: 35600 "Index out of bounds", 35601 "Element not found",
// 35602 "Key is not unique in collection".
// Part of platform/forms; depends on Control.h, platform/com (Error) and the standard library.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/Control.h"

namespace platform::forms {

class ListView;

class ListItem {
public:
    ListItem(const ListItem&) = delete;
    ListItem& operator=(const ListItem&) = delete;

    ListView& listView() const { return list_; }
    const std::string& key() const { return key_; }
    int index() const;  // 1-based position in the list

    const std::string& text() const { return text_; }
    void setText(std::string text);
    const std::string& tag() const { return tag_; }
    void setTag(std::string tag) { tag_ = std::move(tag); }
    bool checked() const { return checked_; }
    // By code: no ItemCheck event.
    void setChecked(bool checked);
    bool selected() const;

private:
    friend class ListView;
    ListItem(ListView& list, std::string key, std::string text);

    ListView& list_;
    std::string key_;
    std::string text_;
    std::string tag_;
    bool checked_ = false;
};

struct Column {
    std::string text;
    int width = 0;  // pixels; 0 lets the host choose
};

class ListView final : public Control {
public:
    ListView(Form& form, std::string name);
    ~ListView() override;

    const std::vector<Column>& columns() const { return columns_; }
    void addColumn(std::string text, int width = 0);
    bool checkBoxes() const { return checkBoxes_; }
    void setCheckBoxes(bool checkBoxes);

    // Appends a row. An empty key is no key; a key equal to another row's key, compared
    // without regard to case, raises 35602 and adds nothing.
    ListItem& add(std::string key, std::string text);
    // Removes every row.
    void clear();
    // Removes row `index`; 35600 outside 1..count(), nothing removed.
    void remove(int index);
    int count() const { return static_cast<int>(items_.size()); }
    // Row `index` (1-based); 35600 outside 1..count().
    ListItem& item(int index) const;
    // The row with this key; 35601 when there is none.
    ListItem& item(std::string_view key) const;
    ListItem* find(std::string_view key) const;

    ListItem* selectedItem() const { return selected_; }
    void select(ListItem* item);

    // Raised when the user clicks a row (not for rows changed by code).
    void onItemClick(std::function<void(ListItem&)> handler) { itemClick_ = std::move(handler); }
    // Raised when the user ticks or unticks a row's check box.
    void onItemCheck(std::function<void(ListItem&)> handler) { itemCheck_ = std::move(handler); }

    // For hosts: raise the events (UserInput.h is the usual way in).
    void raiseItemClick(ListItem& item);
    void raiseItemCheck(ListItem& item);

protected:
    void saveLoadState() override;
    void restoreLoadState() override;

private:
    friend class ListItem;
    int indexOf(const ListItem& item) const;
    void itemChanged(const ListItem& item, Change change);

    struct SavedItem {
        std::string key, text, tag;
        bool checked = false;
    };
    std::vector<Column> columns_;
    bool checkBoxes_ = false;
    std::vector<std::unique_ptr<ListItem>> items_;
    ListItem* selected_ = nullptr;
    std::vector<Column> loadColumns_;
    bool loadCheckBoxes_ = false;
    std::vector<SavedItem> loadItems_;
    std::function<void(ListItem&)> itemClick_;
    std::function<void(ListItem&)> itemCheck_;
};

}  // namespace platform::forms
