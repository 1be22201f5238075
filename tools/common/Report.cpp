// SPDX-License-Identifier: Apache-2.0
#include "tools/common/Report.h"

#include <cstdio>
#include <string_view>

#include "platform/forms/MessageBox.h"
#include "platform/forms/choice/HostChoice.h"
#include "platform/support/VisibleText.h"

namespace tools {

namespace forms = platform::forms;

namespace {
bool silentRun(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (word.size() == 4 && word.front() == '"' && word.back() == '"')
            word = word.substr(1, 2);  // as regedit reads it
        if (word.size() == 2 && (word[0] == '/' || word[0] == '-') && (word[1] == 's' || word[1] == 'S')) return true;
    }
    return false;
}
}  // namespace

int runWithMessageBoxes(int& argc, char** argv, const std::string& title, const std::function<int()>& work) {
    int status = 1;
    const auto windows = silentRun(argc, argv) ? forms::Windows::Never : forms::Windows::Allowed;
    int program = forms::runProgramOnChosenHost(
        argc, argv, {title}, [&] { status = work(); }, windows);
    return program == 0 ? status : 1;
}

void report(const std::string& title, const std::string& text, ReportKind kind, bool silent) {
    if (kind == ReportKind::Error)
        std::fprintf(stderr, "%s: %s\n", platform::visibleText(title).c_str(),
                     platform::visibleText(text, platform::LineBreaks::Kept).c_str());
    if (silent) return;
    int icon = kind == ReportKind::Error ? forms::style::Exclamation : forms::style::Information;
    forms::messageBox(text, forms::style::OkOnly | icon, title);
}

Answer ask(const std::string& title, const std::string& text, Answer fallback) {
    int style = forms::style::YesNo | forms::style::Question |
                (fallback == Answer::No ? forms::style::DefaultButton2 : forms::style::DefaultButton1);
    return forms::messageBox(text, style, title) == forms::answer::Yes ? Answer::Yes : Answer::No;
}

}  // namespace tools
