// SPDX-License-Identifier: Apache-2.0
// Answers the Qt host's message boxes in tests: a timer finds the box that is up, notes what
// it shows and acts on it as the next entry of a script says (a button pressed, a key).
// Part of tests/support; depends on Qt 6 Widgets and Test, and GoogleTest.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

namespace testing_support {

// Answers the message boxes that come up, one script entry per box, and keeps what they showed.
class BoxAnswerer {
public:
    struct Seen {
        QString title, text;
        QMessageBox::Icon icon;
        QStringList buttons;
    };
    using Action = std::function<void(QMessageBox&)>;
    explicit BoxAnswerer(std::deque<Action> script) : script_(std::move(script)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }
    static Action press(const QString& text) {
        return [text](QMessageBox& box) {
            for (QAbstractButton* b : box.buttons())
                if (b->text() == text) return QTest::mouseClick(b, Qt::LeftButton);
            ADD_FAILURE() << "no button " << text.toStdString();
            box.done(0);
        };
    }
    static Action key(Qt::Key k) {
        return [k](QMessageBox& box) { QTest::keyClick(&box, k); };
    }
    const std::vector<Seen>& seen() const { return seen_; }

private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        // Boxes live on the stack, so a later one may have an earlier one's address: mark them.
        if (!box || !box->isVisible() || box->property("answered").toBool()) return;
        box->setProperty("answered", true);
        Seen s{box->windowTitle(), box->text(), box->icon(), {}};
        for (QAbstractButton* b : box->buttons()) s.buttons << b->text();
        seen_.push_back(s);
        if (script_.empty()) {
            ADD_FAILURE() << "unexpected message box " << s.text.toStdString();
            box->done(0);
            return;
        }
        Action action = std::move(script_.front());
        script_.pop_front();
        action(*box);
    }
    std::deque<Action> script_;
    std::vector<Seen> seen_;
    QTimer timer_;
};

}  // namespace testing_support
