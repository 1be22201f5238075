// SPDX-License-Identifier: Apache-2.0
// The Qt host on Qt's offscreen platform: list views with check boxes through the model and
// through real mouse and key events, message boxes with German buttons, modal shows, closing
// and Escape, and the sample wizard run end to end with real clicks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <deque>
#include <functional>

#include "platform/forms/EventLoop.h"
#include "platform/forms/Program.h"
#include "platform/forms/qt/QtHost.h"
#include "tests/forms/SampleWizard.h"
#include "tests/support/QtBoxAnswerer.h"

namespace {

using namespace platform::forms;
using forms_sample::PickPage;
using testing_support::BoxAnswerer;

class QtHostTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (qApp) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "forms_qt_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);  // lives until the process ends
    }

    QTreeWidget* tree(const ListView& list) { return qobject_cast<QTreeWidget*>(host.widget(list)); }
    QPushButton* button(const CommandButton& b) { return qobject_cast<QPushButton*>(host.widget(b)); }

    // Clicks the check box of row `row` (0-based) the way a user does, with the mouse.
    void clickCheckBox(QTreeWidget& view, int row) {
        QStyleOptionViewItem option;
        option.initFrom(&view);
        option.rect = view.visualItemRect(view.topLevelItem(row));
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        QRect box = view.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &view);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, box.center());
    }

    QtHost host;
    HostScope scope{host};
};

TEST_F(QtHostTest, ListViewCheckBoxesFollowTheModelAndRealClicks) {
    PickPage page;
    std::vector<int> checks;
    page.lsvItems.onItemCheck([&](ListItem& item) { checks.push_back(item.index() * (item.checked() ? 1 : -1)); });
    page.show();
    doEvents();
    QDialog* window = host.window(page);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTreeWidget* view = tree(page.lsvItems);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->topLevelItemCount(), 2);
    EXPECT_EQ(view->headerItem()->text(0), "Produktname");
    EXPECT_EQ(view->topLevelItem(1)->text(0), "Beta");
    EXPECT_EQ(view->topLevelItem(0)->checkState(0), Qt::Checked) << "ticked in the Load handler";

    // Through the model, by code.
    page.lsvItems.item(1).setChecked(false);
    EXPECT_EQ(view->topLevelItem(0)->checkState(0), Qt::Unchecked);
    page.lsvItems.item(1).setChecked(true);
    EXPECT_EQ(view->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_TRUE(checks.empty()) << "no ItemCheck for changes by code";

    // Through real events: the mouse on the check box, and the space bar on the current row.
    clickCheckBox(*view, 1);
    EXPECT_FALSE(page.lsvItems.item(2).checked());
    clickCheckBox(*view, 1);
    EXPECT_TRUE(page.lsvItems.item(2).checked());
    view->setFocus();
    view->setCurrentItem(view->topLevelItem(0));
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_FALSE(page.lsvItems.item(1).checked());
    EXPECT_THAT(checks, testing::ElementsAre(-2, 2, -1));

    // A real click on a button whose handler changes the model.
    QTest::mouseClick(button(page.cmdSelectAll), Qt::LeftButton);
    EXPECT_TRUE(page.lsvItems.item(1).checked());
    EXPECT_EQ(view->topLevelItem(0)->checkState(0), Qt::Checked);
    QTest::mouseClick(button(page.cmdClearAll), Qt::LeftButton);
    EXPECT_EQ(view->topLevelItem(0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(view->topLevelItem(1)->checkState(0), Qt::Unchecked);

    // A disabled list takes no clicks.
    page.lsvItems.setEnabled(false);
    EXPECT_FALSE(view->isEnabled());
    page.unload();
    EXPECT_EQ(host.window(page), nullptr);
}

TEST_F(QtHostTest, FormsUseTheirFontWhereInstalledElseTheDesktops) {
    PickPage page;
    page.lblHidden.setBold(true);
    page.show();
    QDialog* window = host.window(page);
    QString expected = QFontDatabase::hasFamily("Tahoma") ? QString("Tahoma") : QApplication::font().family();
    EXPECT_EQ(window->font().family(), expected);
    EXPECT_EQ(window->font().pointSizeF(), 8.0);
    EXPECT_TRUE(host.widget(page.lblHidden)->font().bold());
    EXPECT_FALSE(host.widget(page.lblHidden)->isVisible()) << "hidden until the model shows it";
    EXPECT_EQ(window->windowTitle(), "Auswahl");
    EXPECT_EQ(window->size(), QSize(392, 280)) << "sized around the controls' geometry";
    page.unload();
}

TEST_F(QtHostTest, MessageBoxesHaveGermanButtonsAndTheRightIcon) {
    struct Case {
        int style;
        QStringList buttons;
        QMessageBox::Icon icon;
        BoxAnswerer::Action action;
        int answer;
    };
    for (const Case& c : std::vector<Case>{
             {16, {"OK"}, QMessageBox::Critical, BoxAnswerer::press("OK"), answer::Ok},
             {36, {"Ja", "Nein"}, QMessageBox::Question, BoxAnswerer::press("Nein"), answer::No},
             {36, {"Ja", "Nein"}, QMessageBox::Question, BoxAnswerer::key(Qt::Key_Return), answer::Yes},
             {36 | 256, {"Ja", "Nein"}, QMessageBox::Question, BoxAnswerer::key(Qt::Key_Return), answer::No},
             {48, {"OK"}, QMessageBox::Warning, BoxAnswerer::key(Qt::Key_Escape), answer::Ok},
             {64, {"OK"}, QMessageBox::Information, BoxAnswerer::press("OK"), answer::Ok},
             {65, {"OK", "Abbrechen"}, QMessageBox::Information, BoxAnswerer::key(Qt::Key_Escape), answer::Cancel},
             {65, {"OK", "Abbrechen"}, QMessageBox::Information, BoxAnswerer::press("OK"), answer::Ok},
         }) {
        BoxAnswerer answerer({c.action});
        EXPECT_EQ(messageBox("Zeile 1\r\n\r\nZeile 3", c.style, "Quillon"), c.answer) << c.style;
        ASSERT_EQ(answerer.seen().size(), 1u);
        const auto& seen = answerer.seen()[0];
        EXPECT_EQ(seen.title, "Quillon");
        EXPECT_EQ(seen.text, "Zeile 1\n\nZeile 3");
        EXPECT_EQ(seen.icon, c.icon) << c.style;
        QStringList sorted = seen.buttons, expected = c.buttons;
        sorted.sort();
        expected.sort();
        EXPECT_EQ(sorted, expected) << c.style;
    }
}

TEST_F(QtHostTest, AModalShowRunsANestedLoopAndReturnsAfterHide) {
    Form dialog("frmModal");
    auto& label = dialog.add<Label>("Label1", "Bitte warten");
    auto& done = dialog.add<CommandButton>("cmdDone", "Fertig");
    std::vector<std::string> journal;
    dialog.onActivate([&] {
        journal.push_back("activate");
        // The user acts once the dialog is up, from the nested loop.
        QTimer::singleShot(0, [&] {
            journal.push_back("user");
            QTest::mouseClick(button(done), Qt::LeftButton);
        });
    });
    done.onClick([&] {
        journal.push_back("click");
        dialog.hide();
    });
    dialog.show(Modality::Modal);
    journal.push_back("returned");
    EXPECT_THAT(journal, testing::ElementsAre("activate", "user", "click", "returned"));
    EXPECT_TRUE(dialog.loaded());
    EXPECT_FALSE(host.window(dialog)->isVisible());
    EXPECT_EQ(host.window(dialog)->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(host.widget(label)->objectName(), "Label1");
    dialog.unload();
}

TEST_F(QtHostTest, EscapePressesTheCancelButtonAndTheCloseBoxUnloads) {
    PickPage page;
    page.show();
    doEvents();
    QDialog* window = host.window(page);
    bool cancelled = false;
    page.cmdCancel.onClick([&] { cancelled = true; });  // this one does not unload
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(page.loaded());
    window->close();
    EXPECT_FALSE(page.loaded());
    doEvents();
}

TEST_F(QtHostTest, RunsTheSampleWizardEndToEndWithRealClicks) {
    PickPage page;
    BoxAnswerer answerer({BoxAnswerer::press("OK"), BoxAnswerer::press("Ja"), BoxAnswerer::press("OK")});
    QTimer::singleShot(0, [&] {
        QTest::mouseClick(button(page.cmdClearAll), Qt::LeftButton);
        clickCheckBox(*tree(page.lsvItems), 1);
        QTest::mouseClick(button(page.cmdContinue), Qt::LeftButton);
    });
    EXPECT_EQ(runProgram({"Quillon"}, [&] { page.show(); }), 0);
    EXPECT_TRUE(loadedForms().empty());
    ASSERT_EQ(answerer.seen().size(), 3u);
    EXPECT_EQ(answerer.seen()[0].text, "1 gewählt");
    EXPECT_EQ(answerer.seen()[2].text, "Ja gewählt");
}

TEST_F(QtHostTest, AProgressBarShowsItsTextBytesAndShareAndRepaintTakesNothingIn) {
    Form form("frmProgress");
    auto& bar = form.add<ProgressBar>("prgProgress", "", Geometry{10, 10, 300, 44});
    form.show();
    doEvents();
    auto* widget = host.widget(bar);
    ASSERT_NE(widget, nullptr);
    auto* qtBar = widget->findChild<QProgressBar*>();
    auto* caption = widget->findChild<QLabel*>();
    ASSERT_TRUE(qtBar && caption);

    bar.begin("Herunterladen: a.zip", 4096);
    bar.setProgress(1024, 4096);
    EXPECT_EQ(caption->text(), "Herunterladen: a.zip");
    EXPECT_EQ(qtBar->text(), "1,0 KB von 4,0 KB (25 %)");
    EXPECT_EQ(qtBar->value() * 4, qtBar->maximum());
    bar.begin("Entpacken: a.zip", 0);  // the whole not known yet: the bytes all the same
    bar.setProgress(10, 0);
    EXPECT_EQ(qtBar->value(), 0);
    EXPECT_EQ(qtBar->text(), "10 Bytes");

    // Long work repaints between its steps; nothing a user or a queued task does gets in.
    bool queued = false, timer = false;
    post([&] { queued = true; });
    QTimer::singleShot(0, [&] { timer = true; });
    repaint();
    EXPECT_FALSE(queued);
    EXPECT_FALSE(timer);
    doEvents();
    EXPECT_TRUE(queued);
    EXPECT_TRUE(timer);
    form.unload();
}

TEST_F(QtHostTest, SavesASampleScreenshotWhenAsked) {
    QByteArray path = qgetenv("QUILLON_FORMS_SCREENSHOT");
    if (path.isEmpty()) GTEST_SKIP() << "set QUILLON_FORMS_SCREENSHOT to a PNG path";
    PickPage page;
    page.show();
    doEvents();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host.window(page)));
    EXPECT_TRUE(host.window(page)->grab().save(QString::fromLocal8Bit(path)));
    page.show(Modality::Modeless);
    page.work.show();
    page.work.lblProduct.setText("Produkt A");
    EXPECT_TRUE(host.window(page.work)->grab().save(QString::fromLocal8Bit(path).replace(".png", "-work.png")));
    page.work.unload();
    page.unload();
}

}  // namespace
