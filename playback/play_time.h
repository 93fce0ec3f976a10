// Play times as the time labels show them.
#pragma once

#include <string>

// Seconds to m:ss, mm:ss or h:mm:ss (hours without a leading zero and without limit). The
// seconds are rounded to the nearest whole number, a half to the even neighbour; negative
// and non-finite values show as 0:00.
std::string FormatPlayTime(double seconds);
