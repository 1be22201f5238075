// SPDX-License-Identifier: Apache-2.0
// A two-page sample program on the form model, shaped like the wizard's first pages: a
// selection page with ticked rows and a working page that does its work in its activation.
// Shared by the console host tests and the Qt host tests.
#pragma once

#include <string>

#include "platform/forms/EventLoop.h"
#include "platform/forms/Form.h"
#include "platform/forms/MessageBox.h"

namespace forms_sample {

using namespace platform::forms;

class WorkPage : public Form {
public:
    explicit WorkPage(ListView& rows) : Form("frmWork"), rows_(rows) {
        setCaption("Suche");
        Image1.setIcon(StandardIcon::Information);
        onActivate([this] { work(); });
    }
    Image& Image1 = add<Image>("Image1");
    Label& Label1 = add<Label>("Label1", "Updates werden gesucht...");
    Label& lblProduct = add<Label>("lblProduct");

private:
    void work() {
        int ticked = 0;
        for (int i = 1; i <= rows_.count(); ++i) {
            if (!rows_.item(i).checked()) continue;
            ++ticked;
            lblProduct.setText(rows_.item(i).text());
            doEvents();
        }
        hide();
        messageBox(std::to_string(ticked) + " gewählt", style::Information, "Quillon");
        if (messageBox("Nochmal?", style::YesNo | style::Question, "Frage") == answer::Yes)
            messageBox("Ja gewählt", style::Information, "Quillon");
    }
    ListView& rows_;
};

class PickPage : public Form {
public:
    PickPage() : Form("frmPick") {
        setCaption("Auswahl");
        setFontName("Tahoma");
        lsvItems.setCheckBoxes(true);
        lsvItems.addColumn("Produktname", 300);
        lblHidden.setVisible(false);
        setDefaultButton(&cmdContinue);
        setCancelButton(&cmdCancel);
        onLoad([this] {
            lsvItems.add("alpha", "Alpha");
            lsvItems.add("beta", "Beta");
            cmdSelectAll.click();
        });
        cmdSelectAll.onClick([this] { tickAll(true); });
        cmdClearAll.onClick([this] { tickAll(false); });
        cmdContinue.onClick([this] {
            work.show(Modality::Modal);
            work.unload();
            unload();
        });
        cmdCancel.onClick([this] { unload(); });
    }

    Label& Label1 = add<Label>("Label1", "Bitte wählen Sie die Produkte aus.", Geometry{16, 12, 360, 32});
    ListView& lsvItems = add<ListView>("lsvItems", {}, Geometry{16, 48, 360, 120});
    Label& lblHidden = add<Label>("lblHidden", "Versteckt", Geometry{16, 176, 360, 16});
    Line& Line1 = add<Line>("Line1", {}, Geometry{8, 200, 376, 2});
    CommandButton& cmdSelectAll = add<CommandButton>("cmdSelectAll", "Alles a&uswählen", Geometry{16, 212, 110, 24});
    CommandButton& cmdClearAll = add<CommandButton>("cmdClearAll", "Alles &abwählen", Geometry{132, 212, 110, 24});
    CommandButton& cmdContinue = add<CommandButton>("cmdContinue", "&Weiter >", Geometry{214, 248, 80, 24});
    CommandButton& cmdCancel = add<CommandButton>("cmdCancel", "Abbrechen", Geometry{300, 248, 80, 24});
    WorkPage work{lsvItems};

private:
    void tickAll(bool checked) {
        for (int i = 1; i <= lsvItems.count(); ++i) lsvItems.item(i).setChecked(checked);
    }
};

}  // namespace forms_sample
