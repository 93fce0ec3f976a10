// Entries, file names and tag texts are byte strings, kept unchanged inside the player.
// They become display text only here, at the Qt boundary.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

// True when the bytes are well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Valid UTF-8 shows as UTF-8; anything else byte for byte as ISO-8859-1.
QString DisplayText(std::string_view bytes);

// A path chosen in a Qt dialog back to the bytes the file system knows it by.
std::string PathBytes(const QString& path);
