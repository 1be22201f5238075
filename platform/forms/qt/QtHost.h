// SPDX-License-Identifier: Apache-2.0
// The Qt host: draws each form of the model as a Qt dialog (Qt 6 Widgets) and feeds clicks,
// ticks and typing back into the model. A modal show runs a nested Qt event loop until the
// form is hidden; message boxes are Qt message boxes with the German buttons (Ja, Nein, OK,
// Abbrechen, ...) and the icon the style names. Forms are drawn in their font (Tahoma) where
// it is installed, otherwise in the desktop's font family, at the form's point size.
// Controls with geometry are placed where it says; a form with a control without geometry
// gets a simple automatic layout: the controls top to bottom, the buttons in a row below.
// Part of platform/forms/qt; depends on platform/forms and Qt 6 Widgets.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <map>
#include <memory>
#include <vector>

#include "platform/forms/Host.h"

class QDialog;
class QEventLoop;
class QObject;
class QWidget;

namespace platform::forms {

class FormWindow;

class QtHost final : public Host {
public:
    // Needs the QApplication to exist already and to outlive the host.
    QtHost();
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    // The dialog of a form that has been shown, nullptr before; its controls' widgets carry
    // the controls' names as object names.
    QDialog* window(const Form& form) const;
    QWidget* widget(const Control& control) const;

    void formShown(Form& form, Modality modality) override;
    void formHidden(Form& form) override;
    void formUnloaded(Form& form) override;
    void formDestroyed(Form& form) override;
    void formChanged(Form& form) override;
    void controlChanged(Control& control, Change change, int item) override;
    int messageBox(const MessageBoxRequest& request) override;
    void processEvents() override;
    void repaint() override;
    void runUntil(const std::function<bool()>& done) override;
    void eventPosted() override;
    void stateChanged() override;

private:
    FormWindow* find(const Form& form) const;
    void retire(const Form& form);

    struct Loop {
        QEventLoop* loop;
        const std::function<bool()>* done;
    };
    std::map<const Form*, FormWindow*> windows_;
    std::vector<QPointer<QObject>> retired_;  // windows on their way out (deleteLater)
    std::vector<Loop> loops_;
    std::unique_ptr<QObject> context_;  // receives the queued runs of the model's events
    bool drainQueued_ = false;
    QElapsedTimer lastRepaint_;
};

}  // namespace platform::forms
