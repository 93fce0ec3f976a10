// Reading and writing a file in one piece.
#pragma once

#include <string>
#include <string_view>

// The whole content of a regular file. Throws EFileError "Cannot open file ..." when it
// can't be opened or read, or is a folder, a device or a pipe (which could block forever).
std::string ReadWholeFile(const std::string& path);

// Replaces the file's content without ever leaving it half written: the bytes go to a new
// file in the same folder, reach the disk, and only then take the old file's place. A
// symbolic link is followed, so the link stays and its target is replaced; an existing
// file's permissions carry over. On failure the old file is untouched and EFileError
// "Cannot create file ..." names the path.
void ReplaceFileContents(const std::string& path, std::string_view bytes);
