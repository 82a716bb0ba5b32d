// Results of the driver's steps. A step that cannot do what it was asked says why in
// plain words, so that a failing test or script shows what the palette was doing.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace tessavue::e2e {

class [[nodiscard]] Status {
public:
    static Status Ok() { return Status(); }
    static Status Fail(std::string message) { return Status(std::move(message)); }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    // UTF-8 text; empty when the step succeeded.
    const std::string& message() const { return message_; }

private:
    Status() = default;
    explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}
    bool failed_ = false;
    std::string message_;
};

// A value, or the reason there is none.
template <class T>
class [[nodiscard]] Expected {
public:
    Expected(T value) : value_(std::move(value)) {}  // NOLINT: implicit on purpose
    Expected(Status failure) : message_(failure.message()) {}  // NOLINT

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const std::string& message() const { return message_; }

    T& value() { return *value_; }
    const T& value() const { return *value_; }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }

    Status status() const { return ok() ? Status::Ok() : Status::Fail(message_); }

private:
    std::optional<T> value_;
    std::string message_;
};

}  // namespace tessavue::e2e
