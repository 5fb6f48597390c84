#pragma once
// The error classes of the engine. Messages can be rewritten on the way up (a reader adds the
// phase it failed in), so they are kept in a mutable string rather than in std::runtime_error.
#include <exception>
#include <string>
#include <utility>

namespace klt {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }

private:
    std::string message_;
    int helpContext_ = 0;
};

// Index or count outside what a container allows.
class ERangeError : public Exception {
public:
    using Exception::Exception;
};

// Text that cannot be turned into a value.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Input/output failure: short reads, files that cannot be opened or written.
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// A training file is malformed or cannot be read or written.
class EKLTFileInOutError : public EInOutError {
public:
    using EInOutError::EInOutError;
};

class EKLTDeleteFileError : public EInOutError {
public:
    using EInOutError::EInOutError;
};

class EKLTFileDatabaseError : public Exception {
public:
    using Exception::Exception;
};

class EKLTFileInUse : public Exception {
public:
    using Exception::Exception;
};

} // namespace klt
