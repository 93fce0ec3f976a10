#include "platform/exceptions.h"

#include <cstring>

EOSError EOSError::FromCode(int code, const std::string& systemText) {
    if (code == 0) return EOSError("A call to an OS function failed");
    return EOSError("System Error.  Code: " + std::to_string(code) + ".\n" + systemText);
}

EListError::EListError(int index)
    : Exception("List index out of bounds (" + std::to_string(index) + ")") {}

namespace {
std::string SystemText(int errnoCode) {
    return errnoCode == 0 ? std::string("Unknown error") : std::string(std::strerror(errnoCode));
}
}  // namespace

EFileError EFileError::CannotOpen(const std::string& path, int errnoCode) {
    return EFileError("Cannot open file \"" + path + "\". " + SystemText(errnoCode));
}

EFileError EFileError::CannotCreate(const std::string& path, int errnoCode) {
    return EFileError("Cannot create file \"" + path + "\". " + SystemText(errnoCode));
}
