// SPDX-License-Identifier: Apache-2.0
// Small vocabulary types shared by the platform rooms. Header only; standard library only.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace platform {

// Why a fallible operation failed: in words for a person, and the system's reason where there
// is one (an errno), so that a caller far up can still tell a full disk from a missing file.
struct Failure {
    std::string message;
    std::error_code reason = {};
};

// What Expected::value() throws when there is no value: the failure, whole.
class FailureError : public std::runtime_error {
public:
    explicit FailureError(Failure failure) : std::runtime_error(failure.message), failure_(std::move(failure)) {}
    const Failure& failure() const noexcept { return failure_; }

private:
    Failure failure_;
};

// The result of a fallible factory or operation: a value or a Failure.
template <class T>
class [[nodiscard]] Expected {
public:
    Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Expected(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool hasValue() const noexcept { return state_.index() == 0; }
    explicit operator bool() const noexcept { return hasValue(); }

    // The value; throws FailureError when there is none.
    T& value() & {
        check();
        return std::get<0>(state_);
    }
    T&& value() && {
        check();
        return std::get<0>(std::move(state_));
    }
    T* operator->() { return &value(); }
    T& operator*() & { return value(); }

    const Failure& failure() const { return std::get<1>(state_); }
    const std::string& error() const { return failure().message; }

private:
    void check() const {
        if (!hasValue()) throw FailureError(std::get<1>(state_));
    }
    std::variant<T, Failure> state_;
};

}  // namespace platform
