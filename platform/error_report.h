// The one place where an exception that leaves an event handler is caught. It is shown
// as an error box (error icon, OK, caption = the application title of that moment) and
// the program carries on with its event loop.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "platform/dialogs.h"

class ErrorReport {
  public:
    using TitleSource = std::function<std::string()>;

    ErrorReport(Dialogs& dialogs, TitleSource title, QWidget* parent = nullptr)
        : dialogs_(dialogs), title_(std::move(title)), parent_(parent) {}

    // Runs a handler; whatever it throws is reported and goes no further.
    template <typename Handler>
    void Guard(Handler&& handler) noexcept {
        try {
            handler();
        } catch (const std::exception& e) {
            Report(e.what());
        } catch (...) {
            Report("Unknown exception");
        }
    }

    void Report(const std::string& message) noexcept;

    // The message as the box shows it: "." appended when the text is not empty and its last
    // character sorts above ".".
    static std::string BoxText(const std::string& message);

  private:
    Dialogs& dialogs_;
    TitleSource title_;
    QWidget* parent_;
};
