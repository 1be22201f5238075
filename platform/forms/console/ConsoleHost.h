// SPDX-License-Identifier: Apache-2.0
// The console host: draws the form model on a terminal, for people at a terminal and for
// scripts that drive a program through standard input.
// Part of platform/forms/console; depends on platform/forms and the standard library.
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "platform/forms/Host.h"
#include "platform/forms/console/ProgressLines.h"

namespace platform::forms {

enum class Prompts { Hidden, Shown };

// Output (standard output, flushed after each piece):
//   a message box:    its title on one line, then its text exactly, then a line break;
//   a shown form:     "== <caption> ==", then in control order the visible labels' and text
//                     boxes' texts, list rows as "[x] 1 text" ("[ ] " unticked, no box for
//                     lists without check boxes; rows are numbered across the form's lists),
//                     then its visible, enabled buttons as "[Weiter >] [Abbrechen]";
//   while shown:      a label's or text box's new text, and a row whose tick or text changed,
//                     each as a line of its own (progress lines).
// Progress bars go to standard error as "<text>: <bytes and percentage>" (see ProgressLines):
// rewritten in place when standard error is a terminal, as separate lines otherwise.
// Input (one line of standard input at a time, read only when the program waits for it):
//   a question box:   j/ja/y/yes, n/nein/no, ok, a/abbrechen/cancel, w/wiederholen/retry,
//                     i/ignorieren/ignore, or a button's text; an empty line is the default
//                     button; OK-only boxes read nothing;
//   a form:           "n" toggles the tick of row n (a row without check box is clicked),
//                     "+n" ticks, "-n" unticks, "?n" clicks the row; several may share a line;
//                     a button's text without "&" and " >", in any case, clicks it; an empty
//                     line clicks the default button.
// Every message box also leaves one line on standard error once it is answered, as a record
// of an unattended run: box STYLE "TITLE" -> ANSWER (the platform's style and answer numbers).
// At end of input a question takes its default answer; a waiting form gets its default
// button clicked, then its cancel button, then it is closed, so that a closed input never
// leaves the program waiting. Hints, prompts and complaints about input go to standard error.
class ConsoleHost final : public Host {
public:
    // Standard input (read without reading ahead), output and error; prompts when standard
    // input is a terminal, progress rewritten in place when standard error is one.
    ConsoleHost();
    ConsoleHost(std::istream& in, std::ostream& out, std::ostream& diagnostics, Prompts prompts,
                ProgressStyle progress = ProgressStyle::SeparateLines);

    void formShown(Form& form, Modality modality) override;
    void formHidden(Form& form) override;
    void controlChanged(Control& control, Change change, int item) override;
    int messageBox(const MessageBoxRequest& request) override;
    void runUntil(const std::function<bool()>& done) override;

private:
    int askMessageBox(const MessageBoxRequest& request);
    std::optional<std::string> readLine();
    void handleLine(Form& form, std::string_view line);
    bool handleRows(Form& form, std::string_view line);
    void endOfInput(Form& form);
    void printForm(const Form& form);
    void printRow(const ListItem& item);
    void printText(const std::string& text);
    std::string buttonList(const Form& form) const;
    void showProgress(const ProgressBar& bar);

    std::istream& in_;
    std::ostream& out_;
    std::ostream& diag_;
    Prompts prompts_;
    ProgressLines progress_;
    // End-of-input escalation for the form waiting last.
    std::weak_ptr<void> eofForm_;
    int eofStep_ = 0;
};

}  // namespace platform::forms
