// SPDX-License-Identifier: Apache-2.0
// Window handles of the form model: a library that knows only the number sets a text box's
// text and the box's Change handler runs inside that call, also for a hidden form in a
// program without any host or event loop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/forms/Form.h"
#include "platform/forms/Host.h"
#include "platform/forms/WindowHandles.h"

namespace {

using namespace platform::forms;

// The shape of the archive component's callback form: hidden, one text box.
struct CallbackForm : Form {
    CallbackForm() : Form("frmAddCallback") {
        txtCallback.onChange([this] {
            messages.push_back(txtCallback.text());
            // The library's next step only happens after we return: nothing is queued.
            EXPECT_FALSE(hosting::hasPendingEvents());
        });
    }
    TextBox& txtCallback = add<TextBox>("txtCallback");
    std::vector<std::string> messages;
};

TEST(WindowHandles, SetWindowTextRunsChangeSynchronouslyForEveryMessage) {
    CallbackForm form;  // no host installed: the headless one
    EXPECT_EQ(form.txtCallback.handle(), 0) << "no handle before the form is loaded";
    form.load();
    WindowHandle handle = form.txtCallback.handle();
    ASSERT_NE(handle, 0);
    EXPECT_FALSE(form.visible());

    EXPECT_TRUE(setWindowText(handle, "x|21|y"));
    EXPECT_THAT(form.messages, testing::ElementsAre("x|21|y")) << "Change ran inside setWindowText";
    EXPECT_TRUE(setWindowText(handle, "x|21|y"));  // the same message again is a message again
    EXPECT_TRUE(setWindowText(handle, ""));
    EXPECT_THAT(form.messages, testing::ElementsAre("x|21|y", "x|21|y", ""));
    EXPECT_EQ(getWindowText(handle), "");

    // Text set by code raises Change only when it differs.
    form.txtCallback.setText("a");
    form.txtCallback.setText("a");
    EXPECT_EQ(form.messages.size(), 4u);
    EXPECT_EQ(getWindowText(handle), "a");
    form.unload();
}

TEST(WindowHandles, DieWithUnloadOrTheFormAndAreNotReused) {
    WindowHandle dead;
    {
        CallbackForm form;
        form.load();
        WindowHandle first = form.txtCallback.handle();
        form.unload();
        EXPECT_EQ(form.txtCallback.handle(), 0);
        EXPECT_FALSE(setWindowText(first, "late"));
        EXPECT_EQ(getWindowText(first), std::nullopt);
        EXPECT_TRUE(form.messages.empty());

        form.load();
        dead = form.txtCallback.handle();
        EXPECT_NE(dead, first);
        EXPECT_TRUE(setWindowText(dead, "m"));
        EXPECT_EQ(form.messages.size(), 1u);
    }  // destroyed while loaded
    EXPECT_FALSE(setWindowText(dead, "after"));
    EXPECT_FALSE(setWindowText(0, "none"));
}

TEST(WindowHandles, LabelsButtonsAndTheFormItselfHaveHandlesToo) {
    Form form("frmA");
    auto& label = form.add<Label>("lblProduct");
    auto& button = form.add<CommandButton>("cmdCancel", "Abbrechen");
    form.setCaption("Quillon");
    form.load();
    EXPECT_TRUE(setWindowText(label.handle(), "Produkt"));
    EXPECT_EQ(label.text(), "Produkt");
    EXPECT_EQ(getWindowText(button.handle()), "Abbrechen");
    EXPECT_TRUE(setWindowText(form.handle(), "Neu"));
    EXPECT_EQ(form.caption(), "Neu");
    form.unload();
}

}  // namespace
