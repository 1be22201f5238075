#include "tools/common/Report.h"

#include <cstdio>

namespace tools {

void report(const std::string& title, const std::string& text, ReportKind kind, bool silent) {
    if (kind == ReportKind::Error) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return;
    }
    if (!silent) std::printf("%s\n%s\n", title.c_str(), text.c_str());
}

}  // namespace tools
