// SPDX-License-Identifier: Apache-2.0
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "platform/forms/EventLoop.h"
#include "platform/forms/UserInput.h"

namespace testing_support {

namespace forms = platform::forms;

TestHost::TestHost() : scope_(*this) {}

TestHost::~TestHost() {
    for (auto& action : actions_) ADD_FAILURE() << "test host: form " << action.form << " was never shown";
}

void TestHost::answerMessageBoxes(std::vector<int> answers) {
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

void TestHost::whenShown(std::string form, std::function<void(forms::Form&)> action, Moment moment) {
    actions_.push_back({std::move(form), std::move(action), moment});
}

void TestHost::formShown(forms::Form& form, forms::Modality modality) {
    shown_.push_back({form.name(), modality});
    auto it = std::find_if(actions_.begin(), actions_.end(), [&](const Action& a) { return a.form == form.name(); });
    if (it == actions_.end()) return;
    Action action = std::move(*it);
    actions_.erase(it);
    if (action.moment == Moment::AtShow) {
        action.run(form);
        return;
    }
    // Queued after the form's Activate event, which show() queued before telling us.
    std::weak_ptr<void> life = form.lifetime();
    forms::post([life, &form, run = std::move(action.run)] {
        if (life.expired()) {
            ADD_FAILURE() << "test host: the form went away before the test could act on it";
            return;
        }
        run(form);
    });
}

int TestHost::messageBox(const forms::MessageBoxRequest& request) {
    int answer = request.defaultAnswer();
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
        auto buttons = request.answers();
        if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end())
            ADD_FAILURE() << "test host: answer " << answer << " is no button of the message box \"" << request.text
                          << "\"";
    }
    boxes_.push_back({request.title, request.text, request.style, answer});
    return answer;
}

void TestHost::runUntil(const std::function<bool()>& done) {
    while (!done()) {
        if (forms::hosting::runPendingEvents()) continue;
        forms::Form* waiting = forms::hosting::inputForm();
        if (!waiting) return;
        ADD_FAILURE() << "test host: waiting on form " << waiting->name()
                      << " with nothing left to do; give it an action with whenShown";
        throw std::logic_error("test host: nothing left to do while " + waiting->name() + " is shown");
    }
}

namespace {
template <class C>
C* controlOf(forms::Form& form, std::string_view name) {
    auto* control = dynamic_cast<C*>(form.find(name));
    if (!control) ADD_FAILURE() << "test host: form " << form.name() << " has no such control " << name;
    return control;
}

forms::ListItem* rowOf(forms::Form& form, std::string_view list, int row) {
    auto* view = controlOf<forms::ListView>(form, list);
    if (!view) return nullptr;
    if (row < 1 || row > view->count()) {
        ADD_FAILURE() << "test host: " << list << " has no row " << row << " (it has " << view->count() << ")";
        return nullptr;
    }
    return &view->item(row);
}
}  // namespace

void TestHost::click(forms::Form& form, std::string_view button) {
    if (auto* b = controlOf<forms::CommandButton>(form, button))
        if (!forms::pressButton(*b)) ADD_FAILURE() << "test host: " << button << " cannot be clicked now";
}

void TestHost::tick(forms::Form& form, std::string_view list, int row, Check check) {
    if (auto* item = rowOf(form, list, row))
        if (!forms::setItemChecked(*item, check == Check::Ticked))
            ADD_FAILURE() << "test host: row " << row << " of " << list << " cannot be ticked now";
}

void TestHost::clickRow(forms::Form& form, std::string_view list, int row) {
    if (auto* item = rowOf(form, list, row))
        if (!forms::clickItem(*item))
            ADD_FAILURE() << "test host: row " << row << " of " << list << " cannot be clicked now";
}

void TestHost::type(forms::Form& form, std::string_view box, std::string_view text) {
    if (auto* b = controlOf<forms::TextBox>(form, box))
        if (!forms::editText(*b, text)) ADD_FAILURE() << "test host: " << box << " takes no input now";
}

void TestHost::close(forms::Form& form) {
    if (!forms::closeForm(form)) ADD_FAILURE() << "test host: form " << form.name() << " cannot be closed now";
}

}  // namespace testing_support
