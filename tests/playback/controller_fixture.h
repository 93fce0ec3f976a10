// The playback controller over a fake engine library and real widgets, as the main window
// wires it: handlers guarded by the error report, the engine's end message delivered through
// a QtMessageTarget and the event loop.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <string>
#include <vector>

#include "platform/error_report.h"
#include "platform/qt_message_target.h"
#include "playback/playback_controller.h"
#include "tests/playback/fake_engine_library.h"
#include "tests/playback/widget_player_view.h"
#include "tests/support/scripted_dialogs.h"

class ControllerTest : public testing::Test {
  protected:
    ControllerTest() { view.endTarget = messages.Target(); }

    void SetPlaylist(std::vector<std::string> entries) { model.Append(std::move(entries)); }

    // What the main window does with every handler: exceptions go to the error box.
    template <typename Handler>
    void Guarded(Handler&& handler) {
        errors.Guard(std::forward<Handler>(handler));
    }
    // The engine reached the end of the open channel; its message arrives through the loop.
    void EndOfTrack() {
        fake.EndChannel();
        QCoreApplication::sendPostedEvents(&messages);
    }
    std::vector<std::string> ErrorTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : dialogs.Messages()) texts.push_back(m.text);
        return texts;
    }

    FakeEngineLibrary fake;
    FakeEngineState& engine = fake.State();
    PlaylistModel model;
    WidgetPlayerView view{model};
    lightBASS bass{FakeEnginePath()};
    ScriptedDialogs dialogs;
    ErrorReport errors{dialogs, [this] { return view.applicationTitle; }};
    PlaybackController controller{view, model, bass, errors};
    QtMessageTarget messages{[this](std::uint32_t message, std::uintptr_t wparam, std::intptr_t) {
        if (message == VYN_WM_USER) Guarded([&] { controller.WM_NEXT(wparam); });
    }};
};
