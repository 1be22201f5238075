// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/console/ConsoleHost.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <vector>

#include "platform/forms/UserInput.h"
#include "platform/support/StandardInput.h"
#include "platform/support/TextCase.h"
#include "platform/support/VisibleText.h"

namespace platform::forms {

namespace {

// The rows of the form's visible lists, numbered from 1 across the lists.
std::vector<ListItem*> rowsOf(const Form& form) {
    std::vector<ListItem*> rows;
    for (Control* c : form.controls()) {
        if (c->kind() != ControlKind::ListView || !c->visible()) continue;
        auto& list = static_cast<ListView&>(*c);
        for (int i = 1; i <= list.count(); ++i) rows.push_back(&list.item(i));
    }
    return rows;
}

int answerForWord(std::string_view typed, const std::vector<int>& answers) {
    auto has = [&](int a) { return std::find(answers.begin(), answers.end(), a) != answers.end(); };
    std::string word = platform::asciiLower(platform::trimBlanks(typed));
    auto is = [&](std::initializer_list<const char*> words) {
        return std::any_of(words.begin(), words.end(), [&](const char* w) { return word == w; });
    };
    int wanted = 0;
    if (is({"j", "ja", "y", "yes"}))
        wanted = answer::Yes;
    else if (is({"n", "nein", "no"}))
        wanted = answer::No;
    else if (is({"ok", "o"}))
        wanted = answer::Ok;
    else if (is({"a", "abbrechen", "c", "cancel"}))
        wanted = has(answer::Cancel) ? answer::Cancel : answer::Abort;
    else if (is({"abort", "b", "beenden"}))
        wanted = answer::Abort;
    else if (is({"w", "wiederholen", "r", "retry"}))
        wanted = answer::Retry;
    else if (is({"i", "ignorieren", "ignore"}))
        wanted = answer::Ignore;
    return has(wanted) ? wanted : 0;
}

// The text as shown: "&" marks the access key, "&&" is an ampersand.
std::string withoutMnemonic(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&')
            plain += text[i];
        else if (i + 1 < text.size() && text[i + 1] == '&')
            plain += text[++i];
    }
    return plain;
}

std::string joinedButtons(const std::vector<int>& answers) {
    std::string text;
    for (int a : answers) {
        if (!text.empty()) text += '/';
        text += buttonText(a);
    }
    return text;
}

}  // namespace

ConsoleHost::ConsoleHost()
    : ConsoleHost(platform::unbufferedStandardInput(), std::cout, std::cerr,
                  isatty(STDIN_FILENO) ? Prompts::Shown : Prompts::Hidden,
                  isatty(STDERR_FILENO) ? ProgressStyle::RewrittenLine : ProgressStyle::SeparateLines) {}

ConsoleHost::ConsoleHost(std::istream& in, std::ostream& out, std::ostream& diagnostics, Prompts prompts,
                         ProgressStyle progress)
    : in_(in), out_(out), diag_(diagnostics), prompts_(prompts), progress_(diagnostics, progress) {}

std::optional<std::string> ConsoleHost::readLine() {
    return platform::readInputLine(in_);
}

void ConsoleHost::printText(const std::string& text) {
    if (text.empty()) return;
    progress_.interrupt();
    out_ << platform::visibleText(text, platform::LineBreaks::Kept) << '\n' << std::flush;
}

void ConsoleHost::printRow(const ListItem& item) {
    auto rows = rowsOf(item.listView().form());
    auto it = std::find(rows.begin(), rows.end(), &item);
    if (it == rows.end()) return;
    if (item.listView().checkBoxes()) out_ << (item.checked() ? "[x] " : "[ ] ");
    out_ << (it - rows.begin()) + 1 << ' ' << platform::visibleText(item.text()) << '\n' << std::flush;
}

std::string ConsoleHost::buttonList(const Form& form) const {
    std::string list;
    for (Control* c : form.controls()) {
        if (c->kind() != ControlKind::CommandButton || !c->visible() || !c->enabled()) continue;
        if (!list.empty()) list += ' ';
        list += '[' + platform::visibleText(withoutMnemonic(c->text())) + ']';
    }
    return list;
}

void ConsoleHost::printForm(const Form& form) {
    progress_.interrupt();
    out_ << "== " << platform::visibleText(form.caption()) << " ==\n";
    for (Control* c : form.controls()) {
        if (!c->visible()) continue;
        switch (c->kind()) {
            case ControlKind::Label:
            case ControlKind::TextBox:
                printText(c->text());
                break;
            case ControlKind::ListView: {
                auto& list = static_cast<ListView&>(*c);
                for (int i = 1; i <= list.count(); ++i) printRow(list.item(i));
                break;
            }
            default:
                break;
        }
    }
    std::string buttons = buttonList(form);
    if (!buttons.empty()) out_ << buttons << '\n';
    out_ << std::flush;
}

void ConsoleHost::formShown(Form& form, Modality) {
    printForm(form);
}

void ConsoleHost::formHidden(Form& form) {
    for (Control* c : form.controls())
        if (c->kind() == ControlKind::ProgressBar) progress_.finish(c);
}

void ConsoleHost::showProgress(const ProgressBar& bar) {
    // The text may carry a name from a server: never raw to the terminal.
    progress_.update(&bar, platform::visibleText(bar.text()), bar.value(), bar.progressText(),
                     bar.maximum() > 0 && bar.percent() == 100);
}

void ConsoleHost::controlChanged(Control& control, Change change, int item) {
    if (control.kind() == ControlKind::ProgressBar) {
        if (!control.form().visible() || !control.visible())
            progress_.finish(&control);
        else if (change == Change::Progress || change == Change::Text || change == Change::Visible)
            showProgress(static_cast<ProgressBar&>(control));
        return;
    }
    if (!control.form().visible() || !control.visible()) return;
    switch (control.kind()) {
        case ControlKind::Label:
        case ControlKind::TextBox:
            if (change == Change::Text || change == Change::Visible) printText(control.text());
            break;
        case ControlKind::ListView: {
            auto& list = static_cast<ListView&>(control);
            bool rowChange = change == Change::ItemChecked || change == Change::ItemText || change == Change::Items;
            if (rowChange && item >= 1 && item <= list.count()) printRow(list.item(item));
            break;
        }
        default:
            break;
    }
}

int ConsoleHost::messageBox(const MessageBoxRequest& request) {
    progress_.interrupt();
    out_ << platform::visibleText(request.title) << '\n'
         << platform::visibleText(request.text, platform::LineBreaks::Kept) << '\n'
         << std::flush;
    int answer = askMessageBox(request);
    diag_ << "box " << request.style << ' ' << platform::quotedVisibleText(request.title) << " -> " << answer << '\n'
          << std::flush;
    return answer;
}

int ConsoleHost::askMessageBox(const MessageBoxRequest& request) {
    auto answers = request.answers();
    if (answers.size() == 1) return answers.front();
    for (;;) {
        if (prompts_ == Prompts::Shown) diag_ << '(' << joinedButtons(answers) << ") " << std::flush;
        auto line = readLine();
        if (!line) {
            diag_ << "Ende der Eingabe: " << buttonText(request.defaultAnswer()) << '\n' << std::flush;
            return request.defaultAnswer();
        }
        if (platform::trimBlanks(*line).empty()) return request.defaultAnswer();
        if (int a = answerForWord(*line, answers)) return a;
        for (int a : answers)
            if (platform::equalsIgnoreCase(platform::trimBlanks(*line), buttonText(a))) return a;
        diag_ << "Bitte antworten Sie mit " << joinedButtons(answers) << ".\n" << std::flush;
    }
}

void ConsoleHost::runUntil(const std::function<bool()>& done) {
    while (!done()) {
        if (hosting::runPendingEvents()) continue;
        Form* form = hosting::inputForm();
        if (!form) return;  // no form can take input: nothing will ever happen
        if (prompts_ == Prompts::Shown) diag_ << "> " << std::flush;
        auto line = readLine();
        if (line)
            handleLine(*form, *line);
        else
            endOfInput(*form);
    }
}

void ConsoleHost::handleLine(Form& form, std::string_view line) {
    std::string_view typed = platform::trimBlanks(line);
    if (typed.empty()) {
        if (CommandButton* b = form.defaultButton(); b && pressButton(*b)) return;
        diag_ << "Keine Standard-Schaltfläche.\n" << std::flush;
        return;
    }
    if (handleRows(form, typed)) return;
    if (CommandButton* b = findButtonByWords(form, typed)) {
        if (!pressButton(*b))
            diag_ << "Die Schaltfläche \"" << platform::visibleText(buttonWords(b->text()))
                  << "\" ist gerade nicht verfügbar.\n";
        diag_ << std::flush;
        return;
    }
    diag_ << "Unbekannte Eingabe: " << platform::visibleText(typed)
          << "\nMöglich: eine Zeilennummer (+n hakt an, -n hakt ab, ?n wählt aus)"
          << " oder eine Schaltfläche: " << buttonList(form) << '\n'
          << std::flush;
}

bool ConsoleHost::handleRows(Form& form, std::string_view line) {
    struct RowAction {
        char op;
        long row;
    };
    std::vector<RowAction> actions;
    std::size_t pos = 0;
    while (pos < line.size()) {
        std::size_t end = line.find(' ', pos);
        std::string_view token = line.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? line.size() : end + 1;
        if (token.empty()) continue;
        char op = (token[0] == '+' || token[0] == '-' || token[0] == '?') ? token[0] : ' ';
        std::string_view digits = op == ' ' ? token : token.substr(1);
        if (digits.empty() || digits.size() > 9 ||
            !std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
            return false;
        actions.push_back({op, std::stol(std::string(digits))});
    }
    if (actions.empty()) return false;
    for (auto [op, row] : actions) {
        auto rows = rowsOf(form);  // a handler may have changed the rows
        if (row < 1 || row > static_cast<long>(rows.size())) {
            diag_ << "Zeile " << row << " gibt es nicht.\n" << std::flush;
            continue;
        }
        ListItem& item = *rows[static_cast<std::size_t>(row - 1)];
        bool boxes = item.listView().checkBoxes();
        bool accepted = true;
        if (op == '?' || !boxes)
            accepted = op == '?' || op == ' ' ? clickItem(item) : false;
        else
            accepted = setItemChecked(item, op == '+' || (op == ' ' && !item.checked()));
        if (!accepted) diag_ << "Zeile " << row << " ist gerade nicht verfügbar.\n" << std::flush;
    }
    return true;
}

void ConsoleHost::endOfInput(Form& form) {
    auto life = form.lifetime();
    bool same = !eofForm_.expired() && !eofForm_.owner_before(life) && !life.owner_before(eofForm_);
    if (!same) {
        eofForm_ = life;
        eofStep_ = 0;
    }
    while (eofStep_ < 4) {
        int step = eofStep_++;
        CommandButton* button = step == 0 ? form.defaultButton() : step == 1 ? form.cancelButton() : nullptr;
        if (button) {
            if (!acceptsInput(*button)) continue;
            diag_ << "Ende der Eingabe: " << platform::visibleText(buttonWords(button->text())) << '\n' << std::flush;
            pressButton(*button);
            return;
        }
        if (step == 2) {
            diag_ << "Ende der Eingabe: " << platform::visibleText(form.caption()) << " wird geschlossen.\n"
                  << std::flush;
            if (closeForm(form)) return;
        } else if (step == 3) {
            hosting::dispatch([&] { form.hide(); });
            return;
        }
    }
    // Every step has been tried on this form: hide it so that no loop waits on it.
    hosting::dispatch([&] { form.hide(); });
}

}  // namespace platform::forms
