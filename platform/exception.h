#pragma once
// Exceptions of the system. Every error is an exception carrying a Windows-1250
// text; the error report of an action tells them apart by class name.
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// The general exception: one text.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& message() const noexcept { return message_; }
    // True when this class or one of its parents bears the name.
    virtual bool inheritsFrom(std::string_view className) const noexcept { return className == "Exception"; }

private:
    std::string message_;
};

// A deliberate stop of an operation; reported as "was interrupted", not as an error.
class EAbort : public Exception {
public:
    using Exception::Exception;
    bool inheritsFrom(std::string_view n) const noexcept override {
        return n == "EAbort" || Exception::inheritsFrom(n);
    }
};

// Platform component failure with topics (code, title, description).
class EMException : public Exception {
public:
    struct Topic {
        int code = 0;
        std::string title;
        std::string description;
    };

    EMException(int code, std::string title, std::string description);
    explicit EMException(std::vector<Topic> topics);
    const std::vector<Topic>& topics() const noexcept { return topics_; }
    bool inheritsFrom(std::string_view n) const noexcept override {
        return n == "EMException" || Exception::inheritsFrom(n);
    }

    // Language of the platform components' texts (set by the host).
    static void setLanguage(int language) noexcept;
    static int language() noexcept;

private:
    std::vector<Topic> topics_;
};

// Class check by name over any exception: std exceptions are "Exception" only.
bool exceptionIs(const std::exception& e, std::string_view className) noexcept;

}  // namespace zt
