// SPDX-License-Identifier: Apache-2.0
// The hidden form that receives the addZIP libraries' callback messages: the text of its
// text box txtCallback is the message, and every change of it is parsed at once and raised
// as one of the form's events. Part of velpack/zip; depends on platform/forms and velpack/frame.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/Conversion.h"
#include "platform/forms/Form.h"

namespace velpack {

using platform::com::Boolean;

// The form's events: the same 17 as the ZIPFile event interface, in the same order.
struct AddCallbackEvents {
    virtual void Searching(const std::string& Pattern, const std::string& Directory) = 0;
    virtual void ZipComment(const std::string& Comment) = 0;
    virtual void Zipping(const std::string& FileName, std::int32_t Size, std::int32_t BytesRead,
                         std::int16_t Percentage, std::int32_t FilesRemaining) = 0;
    virtual void Zipped(const std::string& FileName, std::int32_t Size, std::int32_t CompressedSize, std::int16_t Ratio,
                        std::int32_t FilesRemaining) = 0;
    virtual void Unzipping(const std::string& FileName, std::int32_t Size, std::int32_t BytesDecompressed,
                           std::int16_t Percentage) = 0;
    virtual void Unzipped(const std::string& FileName, std::int32_t Size, std::int32_t DecompressedSize,
                          std::int16_t Percentage) = 0;
    virtual void Testing(const std::string& FileName, std::int32_t Size, std::int32_t BytesDecompressed,
                         std::int16_t Percentage) = 0;
    virtual void Tested(const std::string& FileName, std::int32_t Size, std::int32_t DecompressedSize,
                        std::int16_t Percentage) = 0;
    virtual void Deleting(const std::string& FileName) = 0;
    virtual void Deleted(const std::string& FileName) = 0;
    virtual void DiskChange(std::int16_t RequiredDisk) = 0;
    virtual void View(const std::string& Path, const std::string& FileName, std::int32_t OriginalSize,
                      std::int32_t CompressedSize, std::int16_t Ratio, const std::string& AccessDate,
                      const std::string& AccessTime, const std::string& Attributes, std::int16_t CompressionMethod,
                      Boolean Encrypted, const std::string& CRC, Boolean Binary, const std::string& CompressVersion,
                      const std::string& DecompressVersion) = 0;
    virtual void Error(const std::string& FileName, std::int32_t ErrorCode) = 0;
    virtual void Warning(const std::string& FileName, std::int32_t WarningCode) = 0;
    virtual void QueryOverwrite(const std::string& CurrentFilename, std::int32_t CurrentSize,
                                const std::string& CurrentDateTime, const std::string& NewFilename,
                                std::int32_t NewSize, const std::string& NewDateTime) = 0;
    virtual void Copying() = 0;
    virtual void Copied() = 0;

protected:
    ~AddCallbackEvents() = default;
};

// Raises the event that one callback message stands for: the code from field 2, the
// arguments from the fields of the code's row, numbers rounded to the parameter's width
// (halves to even). Codes 24 and outside 10 to 26 raise nothing. A number too large for its
// parameter is taken as the largest (or smallest) value the parameter holds; an Encrypted
// field that is neither a truth word nor a number counts as False.
void dispatchCallbackMessage(std::string_view message, AddCallbackEvents& events);

class frmAddCallback final : public platform::forms::Form {
public:
    frmAddCallback();

    // Binds the form's events to `events`, which must outlive the binding.
    void bindEvents(AddCallbackEvents* events) { events_ = events; }

    platform::forms::TextBox& txtCallback;

private:
    AddCallbackEvents* events_ = nullptr;
};

}  // namespace velpack
