// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/qt/QtHost.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <map>

#include "platform/forms/qt/FormWindow.h"

namespace platform::forms {

namespace {

QMessageBox::ButtonRole roleOf(int value) {
    switch (value) {
        case answer::Cancel:
        case answer::Abort:
            return QMessageBox::RejectRole;
        case answer::Yes:
            return QMessageBox::YesRole;
        case answer::No:
            return QMessageBox::NoRole;
        default:
            return QMessageBox::AcceptRole;
    }
}

QMessageBox::Icon iconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

QtHost::QtHost() : context_(std::make_unique<QObject>()) {
    QApplication::setQuitOnLastWindowClosed(false);
}

QtHost::~QtHost() {
    for (auto& [form, window] : windows_) {
        window->detach();
        delete window;
    }
    for (auto& retired : retired_) delete retired.data();
}

FormWindow* QtHost::find(const Form& form) const {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second;
}

QDialog* QtHost::window(const Form& form) const {
    return find(form);
}

QWidget* QtHost::widget(const Control& control) const {
    FormWindow* w = find(control.form());
    return w ? w->widget(control) : nullptr;
}

void QtHost::retire(const Form& form) {
    FormWindow* w = find(form);
    if (!w) return;
    windows_.erase(&form);
    // The window may be inside one of its own signals right now: it goes when the event loop
    // is back, or with the host.
    w->detach();
    w->hide();
    w->deleteLater();
    std::erase_if(retired_, [](const QPointer<QObject>& p) { return p.isNull(); });
    retired_.emplace_back(w);
}

void QtHost::formShown(Form& form, Modality modality) {
    FormWindow* w = find(form);
    if (!w) {
        w = new FormWindow(form);
        windows_[&form] = w;
    }
    w->setWindowModality(modality == Modality::Modal ? Qt::ApplicationModal : Qt::NonModal);
    w->show();
    w->raise();
    w->activateWindow();
}

void QtHost::formHidden(Form& form) {
    if (FormWindow* w = find(form)) w->hide();
}

void QtHost::formUnloaded(Form& form) {
    retire(form);
}

void QtHost::formDestroyed(Form& form) {
    retire(form);
}

void QtHost::formChanged(Form& form) {
    if (FormWindow* w = find(form)) w->syncForm();
}

void QtHost::controlChanged(Control& control, Change change, int item) {
    if (FormWindow* w = find(control.form())) w->sync(control, change, item);
}

int QtHost::messageBox(const MessageBoxRequest& request) {
    QWidget* parent = nullptr;
    if (Form* form = hosting::inputForm())
        if (FormWindow* w = find(*form); w && w->isVisible()) parent = w;
    QMessageBox box(iconOf(request.icon()), QString::fromStdString(request.title),
                    QString::fromStdString(request.text).replace("\r\n", "\n"), QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    std::map<QAbstractButton*, int> answers;
    int defaultAnswer = request.defaultAnswer();
    int escapeAnswer = request.escapeAnswer();
    for (int value : request.answers()) {
        QPushButton* button =
            box.addButton(QString::fromUtf8(buttonText(value).data(), static_cast<qsizetype>(buttonText(value).size())),
                          roleOf(value));
        answers[button] = value;
        if (value == defaultAnswer) box.setDefaultButton(button);
        if (value == escapeAnswer) box.setEscapeButton(button);
    }
    box.exec();
    auto it = answers.find(box.clickedButton());
    if (it != answers.end()) return it->second;
    return escapeAnswer ? escapeAnswer : defaultAnswer;
}

void QtHost::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtHost::repaint() {
    // Progress may report thousands of times a second; a screen shows some thirty. What is
    // skipped here is painted from the pending updates when events run next.
    constexpr qint64 kFrameMilliseconds = 30;
    if (lastRepaint_.isValid() && !lastRepaint_.hasExpired(kFrameMilliseconds)) return;
    lastRepaint_.start();
    // Painting directly lets no event in: no click, no close, no queued task of the model.
    for (auto& [form, window] : windows_)
        if (window->isVisible()) window->repaint();
}

void QtHost::runUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    loops_.push_back({&loop, &done});
    while (!done() && (hosting::anyFormVisible() || hosting::hasPendingEvents())) loop.exec();
    loops_.pop_back();
}

void QtHost::eventPosted() {
    if (drainQueued_) return;
    drainQueued_ = true;
    QMetaObject::invokeMethod(
        context_.get(),
        [this] {
            drainQueued_ = false;
            hosting::runPendingEvents();
            if (hosting::hasPendingEvents()) eventPosted();
        },
        Qt::QueuedConnection);
}

void QtHost::stateChanged() {
    bool idle = !hosting::anyFormVisible() && !hosting::hasPendingEvents();
    for (const Loop& l : loops_)
        if (idle || (*l.done)()) l.loop->quit();
}

}  // namespace platform::forms
