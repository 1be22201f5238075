// SPDX-License-Identifier: Apache-2.0
// The test host: a forms host for tests. It records every message box (title, text, style and
// the answer given), answers them from a script (then with the default button), records the
// forms shown, and lets a test act on a form when it is shown: look at control states, tick
// rows, click buttons by name, as a user would.
// Part of tests/support; depends on platform/forms and GoogleTest.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/Form.h"
#include "platform/forms/Host.h"

namespace testing_support {

enum class Moment {
    AtShow,           // inside show(), before the Activate handler has run
    AfterActivation,  // from the event queue, right after the Activate handler, like a user
};

enum class Check { Unticked, Ticked };

class TestHost final : public platform::forms::Host {
public:
    // Installs itself as the current host until destroyed.
    TestHost();
    // Fails the test for every action that never ran.
    ~TestHost() override;
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    struct MessageBoxRecord {
        std::string title;
        std::string text;
        int style = 0;
        int answer = 0;
    };
    const std::vector<MessageBoxRecord>& messageBoxes() const { return boxes_; }
    // The next message boxes get these answers in order; after them, the default button.
    void answerMessageBoxes(std::vector<int> answers);

    struct ShownRecord {
        std::string form;
        platform::forms::Modality modality;
    };
    const std::vector<ShownRecord>& shownForms() const { return shown_; }
    // Runs `action` once, the next time the form of that name is shown. Actions for the same
    // form run in the order they were given, one per show.
    void whenShown(std::string form, std::function<void(platform::forms::Form&)> action,
                   Moment moment = Moment::AfterActivation);

    // As the user would; the test fails when the control cannot take input now.
    static void click(platform::forms::Form& form, std::string_view button);
    static void tick(platform::forms::Form& form, std::string_view list, int row, Check check);
    static void clickRow(platform::forms::Form& form, std::string_view list, int row);
    static void type(platform::forms::Form& form, std::string_view box, std::string_view text);
    static void close(platform::forms::Form& form);

    // Host
    void formShown(platform::forms::Form& form, platform::forms::Modality modality) override;
    int messageBox(const platform::forms::MessageBoxRequest& request) override;
    void runUntil(const std::function<bool()>& done) override;

private:
    struct Action {
        std::string form;
        std::function<void(platform::forms::Form&)> run;
        Moment moment;
    };
    platform::forms::HostScope scope_;
    std::vector<MessageBoxRecord> boxes_;
    std::deque<int> answers_;
    std::vector<ShownRecord> shown_;
    std::vector<Action> actions_;
};

}  // namespace testing_support
