// SPDX-License-Identifier: Apache-2.0
// The wizard drawn by the Qt host on the offscreen platform, clicked with real mouse events.
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

#include "platform/forms/EventLoop.h"
#include "platform/forms/qt/QtHost.h"
#include "quillon/pages/FrmFoundUpdates.h"
#include "quillon/pages/frmDownloadProgress.h"
#include "quillon/pages/frmProductSelection.h"
#include "tests/support/FtpServer.h"
#include "tests/support/QtBoxAnswerer.h"
#include "tests/wizard/UpdateServers.h"
#include "tests/wizard/WizardFixture.h"

namespace wizard_tests {
namespace {

namespace forms = platform::forms;

class WizardOnQt : public WizardTest {
protected:
    static void SetUpTestSuite() {
        if (qApp) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "wizard_qt_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);  // lives until the process ends
    }

    QPushButton* button(const forms::CommandButton& b) { return qobject_cast<QPushButton*>(qt.widget(b)); }
    QTreeWidget* tree(const forms::ListView& list) { return qobject_cast<QTreeWidget*>(qt.widget(list)); }
    QString textOf(const forms::TextBox& box) {
        QWidget* w = qt.widget(box);
        if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) return plain->toPlainText();
        if (auto* rich = qobject_cast<QTextEdit*>(w)) return rich->toPlainText();
        ADD_FAILURE() << "the description is no multi-line text widget";
        return {};
    }

    // Starts the wizard and presses "Weiter >" on the product page, which runs the whole search
    // inside the click, in the search page's modal loop; the found-updates page is next.
    quillon::FrmFoundUpdates& searchFromTheProductPage() {
        wizard = std::make_unique<quillon::ModMain>();
        wizard->Main("");
        auto& products = wizard->productSelection();
        EXPECT_TRUE(products.visible());
        QTest::mouseClick(button(products.cmdContinue), Qt::LeftButton);
        forms::doEvents();
        EXPECT_FALSE(products.loaded());
        return wizard->foundUpdates();
    }

    forms::QtHost qt;
    forms::HostScope scope{qt};  // in front of the fixture's test host
};

TEST_F(WizardOnQt, ClearAllUnticksEveryRow) {
    addProduct("P1", "Produkt Eins");
    addProduct("P2", "Produkt Zwei");
    wizard = std::make_unique<quillon::ModMain>();
    auto& page = wizard->productSelection();
    page.show(forms::Modality::Modeless);
    forms::doEvents();

    auto* tree = qobject_cast<QTreeWidget*>(qt.widget(page.lsvProducts));
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(tree->topLevelItem(i)->checkState(0), Qt::Checked);
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "Produkt Zwei");

    auto* clearAll = qobject_cast<QPushButton*>(qt.widget(page.cmdClearAll));
    ASSERT_NE(clearAll, nullptr);
    EXPECT_EQ(clearAll->text(), QString::fromUtf8("Alles abw\xC3\xA4hlen"));
    QTest::mouseClick(clearAll, Qt::LeftButton);
    forms::doEvents();

    for (int i = 1; i <= 2; ++i) EXPECT_FALSE(page.lsvProducts.item(i).checked());
    for (int i = 0; i < 2; ++i) EXPECT_EQ(tree->topLevelItem(i)->checkState(0), Qt::Unchecked);
    page.unload();
}

TEST_F(WizardOnQt, WalksFromTheProductPageToTheFoundUpdatesAndShowsADescription) {
    auto root = testing_support::makeTempDirectory("quillon-updates");
    testing_support::FtpServer server({root, {testing_support::FtpUser{"anna", "geheim"}}});
    registerServer({"S", "127.0.0.1", std::to_string(server.port()), "\\", "anna", "geheim"});
    writeFile(root / "a.idx", indexFor("=1.=0.=0", "a.sl"));
    writeFile(root / "a.sl", descriptionFor(1, "a.zip", "Schnellere Berichte"));
    writeFile(root / "b.idx", indexFor("=1.=0.=0", "b.sl"));
    writeFile(root / "b.sl", descriptionFor(1, "b.zip", "Neue Vorlagen f\xC3\xBCr Briefe"));
    registerProduct({"A", "Orvane Reports", "S", "a.idx"});
    registerProduct({"B", "Orvane Letters", "S", "b.idx"});

    auto& found = searchFromTheProductPage();
    ASSERT_TRUE(found.visible());
    QTreeWidget* rows = tree(found.lsvUpdates);
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->topLevelItemCount(), 2);
    EXPECT_EQ(rows->topLevelItem(0)->text(0), "Orvane Reports");
    EXPECT_EQ(rows->topLevelItem(1)->checkState(0), Qt::Unchecked);

    QRect second = rows->visualItemRect(rows->topLevelItem(1));
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, second.center());
    forms::doEvents();
    EXPECT_EQ(found.txtUpdateDesc.text(), "Neue Vorlagen f\xC3\xBCr Briefe");
    EXPECT_EQ(textOf(found.txtUpdateDesc), QString::fromUtf8("Neue Vorlagen f\xC3\xBCr Briefe"));

    QTest::mouseClick(button(found.cmdCancel), Qt::LeftButton);
    forms::doEvents();
    EXPECT_FALSE(found.loaded());
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
}

TEST_F(WizardOnQt, GoesThroughAllFourPagesAndInstallsTheTickedUpdate) {
    auto root = testing_support::makeTempDirectory("quillon-updates");
    testing_support::FtpServer server({root, {testing_support::FtpUser{"anna", "geheim"}}});
    registerServer({"S", "127.0.0.1", std::to_string(server.port()), "\\", "anna", "geheim"});
    writeFile(root / "a.idx", indexFor("=1.=0.=0", "a.sl"));
    writeFile(root / "a.sl", descriptionFor(1, "reports-1.1.zip", "Schnellere Berichte"));
    makeUpdateArchive(root / "reports-1.1.zip",
                      "COPY %installtemp%\\app.txt;C:\\Program Files\\Orvane\\Reports\\app.txt\r\nSETVER 1;1;0\r\n",
                      {{"app.txt", std::string(200000, 'r')}});
    registerProduct({"A", "Orvane Reports", "S", "a.idx"});

    auto& found = searchFromTheProductPage();
    ASSERT_TRUE(found.visible());
    QTreeWidget* rows = tree(found.lsvUpdates);
    ASSERT_EQ(rows->topLevelItemCount(), 1);
    rows->topLevelItem(0)->setCheckState(0, Qt::Checked);  // what a click on the check box does
    EXPECT_TRUE(found.lsvUpdates.item(1).checked());

    // The closing message comes up once the page has hidden itself, still loaded: its bar
    // shows how the unpacking ended.
    auto& download = wizard->downloadProgress();
    QString bar, barText, label;
    testing_support::BoxAnswerer answerer({[&](QMessageBox& box) {
        auto* widget = qt.widget(download.prgProgress);
        if (widget) {
            bar = widget->findChild<QProgressBar*>()->text();
            barText = widget->findChild<QLabel*>()->text();
        }
        label = qobject_cast<QLabel*>(qt.widget(download.lblUpdate))->text();
        QTest::mouseClick(box.buttons().front(), Qt::LeftButton);
    }});
    QTest::mouseClick(button(found.cmdContinue), Qt::LeftButton);  // runs the download page modally
    forms::doEvents();

    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].text, QString::fromUtf8("Alle Updates wurden ausgef\xC3\xBChrt."));
    EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Information);
    EXPECT_EQ(label, "Orvane Reports");
    EXPECT_EQ(barText, "Entpacken: reports-1.1.zip");
    EXPECT_TRUE(bar.endsWith("(100 %)")) << bar.toStdString();
    EXPECT_FALSE(found.loaded());
    EXPECT_FALSE(download.loaded());
    EXPECT_TRUE(platform::forms::loadedForms().empty());
    EXPECT_EQ(readFile(prefix / "drive_c/Program Files/Orvane/Reports/app.txt"), std::string(200000, 'r'));
    EXPECT_EQ(get(productKey("A"), "VerMin"), "1");
    EXPECT_EQ(get(quillon::settings::kBaseKey, "LastResult"), "1");
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
}

}  // namespace
}  // namespace wizard_tests
