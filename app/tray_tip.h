// The tray icon's tip: what is playing and how far it has got, in at most 63 bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

inline constexpr std::size_t kTrayTipMaxBytes = 63;
inline constexpr std::string_view kTrayTipAtStart = "Vyn Player";

// The first 63 bytes. When the text is UTF-8 and byte 63 falls inside a character, the cut
// moves back to that character's start so the tip never shows half a character.
std::string CutTrayTip(std::string_view tip);

// title " (" elapsed "/" total ")", cut as above: a long title pushes the times out.
std::string TrayTipText(std::string_view title, std::string_view elapsed, std::string_view total);
