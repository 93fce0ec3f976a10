// Entries, file names and tag texts are byte strings, kept unchanged inside the player.
// They become display text only here, at the Qt boundary.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

// True when the bytes are well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Valid UTF-8 shows as UTF-8; otherwise text that reads as Russian in Windows-1251, KOI8-R or
// CP866 is decoded as that, and anything else as Windows-1252 (ISO-8859-1 with the printable
// 0x80..0x9F characters such as ’ – € …).
QString DisplayText(std::string_view bytes);

// A path one folder or file name at a time, each by the rule above: names copied from older
// systems keep their own set beside UTF-8 folders ("/home/u/Музыка/" + a Windows-1251 name).
QString DisplayPath(std::string_view path);

// The bytes DisplayText shows: all of them, except a UTF-8 character cut short at the end of
// otherwise UTF-8 text, which it leaves out.
std::string_view ShownBytes(std::string_view bytes);

// A path chosen in a Qt dialog back to the bytes the file system knows it by.
std::string PathBytes(const QString& path);
