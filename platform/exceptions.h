// The exceptions that leave event handlers and reach the error report. Messages are byte
// strings (UTF-8 for the program's own texts; paths are kept as the bytes they are).
#pragma once

#include <stdexcept>
#include <string>

// Base of every error the player reports to the user.
class Exception : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A failure of the operating system: "System Error.  Code: %d." + line break + its text.
class EOSError : public Exception {
  public:
    using Exception::Exception;
    static EOSError FromCode(int code, const std::string& systemText);
};

// An index that names no entry of a list: "List index out of bounds (%d)".
class EListError : public Exception {
  public:
    explicit EListError(int index);
};

// A file that can't be opened or created: "Cannot open file "%s". %s" and the like.
class EFileError : public Exception {
  public:
    using Exception::Exception;
    static EFileError CannotOpen(const std::string& path, int errnoCode);
    static EFileError CannotCreate(const std::string& path, int errnoCode);
};
