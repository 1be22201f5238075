// SPDX-License-Identifier: Apache-2.0
#include "velpack/zip/frmAddCallback.h"

#include <limits>

#include "platform/com/Error.h"
#include "platform/support/TextCase.h"
#include "velpack/frame/Fields.h"

namespace velpack {

namespace {
using platform::com::leadingNumber;

// Rounded to the width of T with halves to even; out of range saturates.
template <class T>
T numberField(std::string_view message, std::int32_t index) {
    double value = leadingNumber(GetField(message, "|", index));
    try {
        if constexpr (sizeof(T) == 2)
            return platform::com::toInteger(value);
        else
            return platform::com::toLong(value);
    } catch (const platform::com::Error&) {
        return value < 0 ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
    }
}

std::string textField(std::string_view message, std::int32_t index) {
    return GetField(message, "|", index);
}

Boolean truthField(std::string_view message, std::int32_t index) {
    std::string text(platform::trimBlanks(GetField(message, "|", index)));
    std::string upper = platform::asciiUpper(text);
    if (upper == "TRUE") return platform::com::True;
    if (upper == "FALSE") return platform::com::False;
    return platform::com::toBoolean(leadingNumber(text) != 0.0);
}

Boolean nonZeroField(std::string_view message, std::int32_t index) {
    return platform::com::toBoolean(leadingNumber(GetField(message, "|", index)) != 0.0);
}
}  // namespace

void dispatchCallbackMessage(std::string_view m, AddCallbackEvents& e) {
    using L = std::int32_t;
    using I = std::int16_t;
    std::int16_t code = 0;
    try {
        code = GetCallbackCode(m);
    } catch (const platform::com::Error&) {
        return;  // a code beyond 16 bits is outside 10 to 26 as well
    }
    switch (code) {
        case 10:
            e.Searching(textField(m, 3), textField(m, 4));
            break;
        case 11:
            e.ZipComment(textField(m, 3));
            break;
        case 12:
            e.Zipping(textField(m, 4), numberField<L>(m, 5), numberField<L>(m, 6), numberField<I>(m, 7),
                      numberField<L>(m, 8));
            break;
        case 13:
            e.Zipped(textField(m, 4), numberField<L>(m, 5), numberField<L>(m, 6), numberField<I>(m, 7),
                     numberField<L>(m, 8));
            break;
        case 14:
            e.Unzipping(textField(m, 4), numberField<L>(m, 5), numberField<L>(m, 6), numberField<I>(m, 7));
            break;
        case 15:
            e.Unzipped(textField(m, 4), numberField<L>(m, 5), numberField<L>(m, 6), numberField<I>(m, 7));
            break;
        case 16:
            e.Testing(textField(m, 4), numberField<L>(m, 5), numberField<L>(m, 6), numberField<I>(m, 7));
            break;
        case 17:
            e.Tested(textField(m, 4), numberField<L>(m, 5), numberField<L>(m, 6), numberField<I>(m, 7));
            break;
        case 18:
            e.Deleting(textField(m, 4));
            break;
        case 19:
            e.Deleted(textField(m, 4));
            break;
        case 20:
            e.DiskChange(numberField<I>(m, 4));
            break;
        case 21:
            e.View(textField(m, 4), textField(m, 5), numberField<L>(m, 6), numberField<L>(m, 7), numberField<I>(m, 8),
                   textField(m, 9), textField(m, 10), textField(m, 11), numberField<I>(m, 12), truthField(m, 13),
                   textField(m, 14), nonZeroField(m, 15), textField(m, 16), textField(m, 17));
            break;
        case 22:
            e.Error(textField(m, 3), numberField<L>(m, 4));
            break;
        case 23:
            e.Warning(textField(m, 3), numberField<L>(m, 4));
            break;
        case 25:
            e.Copying();
            break;
        case 26:
            e.Copied();
            break;
        default:
            break;  // 24 (the overwrite question) and unknown codes: no event
    }
}

frmAddCallback::frmAddCallback() : Form("frmAddCallback"), txtCallback(add<platform::forms::TextBox>("txtCallback")) {
    txtCallback.onChange([this] {
        if (events_) dispatchCallbackMessage(txtCallback.text(), *events_);
    });
}

}  // namespace velpack
