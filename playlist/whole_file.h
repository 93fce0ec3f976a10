// Reading and writing a file in one piece.
#pragma once

#include <string>
#include <string_view>

// The whole content of a regular file. Throws EFileError "Cannot open file ..." when it
// can't be opened or read, or is a folder, a device or a pipe (which could block forever).
std::string ReadWholeFile(const std::string& path);

// Replaces the file's content. Symbolic links, dangling ones too, are followed: the links
// stay and the file they lead to is written (or created). Where nothing else shares the file
// (a regular file with one link, or none yet) and the folder takes new files, the bytes go to
// a new file that takes the old one's place, owner and mode only once it is whole; a failure
// then leaves the old file untouched. Otherwise (hard links, devices, a folder closed to new
// files, an owner the new file can't take) the file is written in place and flushed.
// Throws EFileError "Cannot create file ..." with the system's text, the one an in-place
// write would meet: a read-only file is refused ("Permission denied") and stays as it was.
void ReplaceFileContents(const std::string& path, std::string_view bytes);
