// SPDX-License-Identifier: Apache-2.0
#include "platform/com/Error.h"

#include <utility>

namespace platform::com {

Error::Error(std::int32_t number, std::string source, std::string description)
    : number_(number), source_(std::move(source)), description_(std::move(description)) {}

std::string standardDescription(std::int32_t number) {
    switch (number) {
        case errc::InvalidArgument:
            return "Invalid procedure call or argument";
        case errc::Overflow:
            return "Overflow";
        case errc::OutOfMemory:
            return "Out of memory";
        case errc::SubscriptOutOfRange:
            return "Subscript out of range";
        case errc::InternalError:
            return "Internal error";
        case errc::FileNotFound:
            return "File not found";
        case errc::DeviceIoError:
            return "Device I/O error";
        case errc::FileAlreadyExists:
            return "File already exists";
        case errc::DiskFull:
            return "Disk full";
        case errc::PermissionDenied:
            return "Permission denied";
        case errc::PathNotFound:
            return "Path not found";
        case errc::ObjectUnloaded:
            return "Object was unloaded";
        case errc::FormAlreadyDisplayed:
            return "Form already displayed; can't show modally";
        case errc::CannotCreateObject:
            return "Can't create object";
        case errc::InterfaceNotSupported:
            return "Class does not support the expected interface";
        case errc::AutomationError:
            return "Automation error";
        case errc::NotImplemented:
            return "Object doesn't support this action";
        case errc::ControlNotFound:
            return "Control not found";
        case errc::IndexOutOfBounds:
            return "Index out of bounds";
        case errc::ElementNotFound:
            return "Element not found";
        case errc::KeyNotUnique:
            return "Key is not unique in collection";
        default:
            return {};
    }
}

Error Error::invalidArgument(std::string source) {
    return {errc::InvalidArgument, std::move(source), standardDescription(errc::InvalidArgument)};
}
Error Error::overflow(std::string source) {
    return {errc::Overflow, std::move(source), standardDescription(errc::Overflow)};
}
Error Error::subscriptOutOfRange(std::string source) {
    return {errc::SubscriptOutOfRange, std::move(source), standardDescription(errc::SubscriptOutOfRange)};
}
Error Error::fileNotFound(std::string source) {
    return {errc::FileNotFound, std::move(source), standardDescription(errc::FileNotFound)};
}
Error Error::notImplemented(std::string source, std::string member) {
    return {errc::NotImplemented, std::move(source), member + " is not implemented yet"};
}

}  // namespace platform::com
