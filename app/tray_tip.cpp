#include "app/tray_tip.h"

#include "platform/display_text.h"

namespace {
bool IsUtf8Continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}
}  // namespace

std::string CutTrayTip(std::string_view tip) {
    if (tip.size() <= kTrayTipMaxBytes) return std::string(tip);
    std::size_t end = kTrayTipMaxBytes;
    // Bytes that are not UTF-8 show one character per byte, so any cut is a boundary.
    if (IsValidUtf8(tip)) {
        while (end > 0 && IsUtf8Continuation(tip[end])) --end;
    }
    return std::string(tip.substr(0, end));
}

std::string TrayTipText(std::string_view title, std::string_view elapsed, std::string_view total) {
    // A UTF-8 title cut inside its last character shows without it; with the times after it
    // the broken character would no longer be at the end and the whole tip would not read as
    // UTF-8.
    title = ShownBytes(title);
    std::string tip;
    tip.reserve(title.size() + elapsed.size() + total.size() + 4);
    tip.append(title).append(" (").append(elapsed).append("/").append(total).append(")");
    return CutTrayTip(tip);
}
