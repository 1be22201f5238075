// SPDX-License-Identifier: Apache-2.0
// The one error type of the component runtime: number, source and description, the way the
// host language reports run-time errors. Members of component interfaces throw it; the
// caller sees the failure status with all three parts.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace platform::com {

// The host's run-time error numbers that this system raises or reports.
namespace errc {
inline constexpr std::int32_t InvalidArgument = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t InternalError = 51;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t DeviceIoError = 57;
inline constexpr std::int32_t FileAlreadyExists = 58;
inline constexpr std::int32_t DiskFull = 61;
inline constexpr std::int32_t PermissionDenied = 70;
inline constexpr std::int32_t PathNotFound = 76;
inline constexpr std::int32_t ObjectUnloaded = 364;
inline constexpr std::int32_t FormAlreadyDisplayed = 400;
inline constexpr std::int32_t CannotCreateObject = 429;
inline constexpr std::int32_t InterfaceNotSupported = 430;
inline constexpr std::int32_t AutomationError = 440;
inline constexpr std::int32_t NotImplemented = 445;
inline constexpr std::int32_t ControlNotFound = 730;
// The list view's own errors.
inline constexpr std::int32_t IndexOutOfBounds = 35600;
inline constexpr std::int32_t ElementNotFound = 35601;
inline constexpr std::int32_t KeyNotUnique = 35602;
// Base of the object-defined errors (hex 80040000); a component adds its own n.
inline constexpr std::int32_t ObjectDefined = static_cast<std::int32_t>(0x80040000u);
}  // namespace errc

class Error : public std::exception {
public:
    Error(std::int32_t number, std::string source, std::string description);

    std::int32_t number() const noexcept { return number_; }
    const std::string& source() const noexcept { return source_; }
    const std::string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

    // The standard errors with the host language's own descriptions.
    static Error invalidArgument(std::string source = {});
    static Error overflow(std::string source = {});
    static Error subscriptOutOfRange(std::string source = {});
    static Error fileNotFound(std::string source = {});
    static Error notImplemented(std::string source, std::string member);

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// The standard description of a host error number ("Overflow" for 6), empty for unknown ones.
std::string standardDescription(std::int32_t number);

}  // namespace platform::com
