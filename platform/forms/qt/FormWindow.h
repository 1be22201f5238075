// SPDX-License-Identifier: Apache-2.0
// The Qt dialog that draws one form of the model, with one widget per control.
// Part of platform/forms/qt; depends on platform/forms and Qt 6 Widgets.
#pragma once

#include <QDialog>
#include <map>

#include "platform/forms/Form.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace platform::forms {

class FormWindow final : public QDialog {
public:
    explicit FormWindow(Form& form);

    // The form is gone or unloaded: no call reaches it any more.
    void detach() { form_ = nullptr; }
    void syncForm();
    void sync(const Control& control, Change change, int item);
    QWidget* widget(const Control& control) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QWidget* makeWidget(Control& control);
    void placeWidgets();
    void syncControl(const Control& control);
    void syncRows(const ListView& list, QTreeWidget& tree);
    void syncRow(const ListItem& item, QTreeWidgetItem& row);
    void rowChanged(QTreeWidget& tree, QTreeWidgetItem& row);
    void rowClicked(QTreeWidget& tree, QTreeWidgetItem& row);
    QFont baseFont() const;

    Form* form_;
    std::map<const Control*, QWidget*> widgets_;
    bool syncing_ = false;  // our own widget updates are no user input
};

}  // namespace platform::forms
