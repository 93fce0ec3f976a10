#include "platform/error_report.h"

std::string ErrorReport::BoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

void ErrorReport::Report(const std::string& message) noexcept {
    try {
        dialogs_.ShowMessage(parent_, title_(), BoxText(message), Dialogs::Icon::Error);
    } catch (...) {
        // A failing error box must not take the program down with it.
    }
}
