// The main window: builds the layout and menus, binds every control to its handler, routes
// the private messages and decides what closing means. The work itself lives in the
// playback, playlist, volume and tray classes it owns.
#pragma once

#include <QIcon>
#include <QWidget>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "app/main_menus.h"
#include "platform/error_report.h"
#include "platform/qt_message_target.h"
#include "playback/player_view.h"
#include "playlist/playlist_model.h"

class lightBASS;
class PlaybackController;
class PlaylistEditor;
class MasterVolume;
class MasterMixer;
class VolumeProgressBar;
class TrayIcon;
class WindowHiding;

namespace Ui {
class TMainForm;
}
class TAboutBox;
class QCloseEvent;

struct MainFormOptions {
    std::string enginePath;  // libbass.so; empty: beside the executable
    // What ends the application once the exit sequence has run.
    std::function<void()> quit;
};

class TMainForm : public QWidget, public PlayerView {
    Q_OBJECT
  public:
    // The product name: the caption and application title while nothing plays.
    static constexpr const char* kProductName = "Vyn Player";

    TMainForm(Dialogs& dialogs, MainFormOptions options, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Start-up: mixer set-up, icons, tray icon, show; runs once before the event loop.
    void FormCreate();
    void SetAboutBox(TAboutBox* aboutBox) { aboutBox_ = aboutBox; }

    // Delivery of a private message on the UI thread, by number.
    void RouteMessage(uint32_t message, uintptr_t wparam, intptr_t lparam);
    MessageTarget* Target() { return messages_.Target(); }

    const std::string& ApplicationTitle() const { return applicationTitle_; }
    PlaylistModel& Playlist() { return playlist_; }
    const MainMenus& Menus() const { return menus_; }
    PlaybackController& Controller() { return *controller_; }
    PlaylistEditor& Editor() { return *editor_; }
    MasterVolume& Volume() { return *volume_; }
    TrayIcon& Tray() { return *tray_; }
    WindowHiding& Hiding() { return *hiding_; }
    ErrorReport& Errors() { return errors_; }
    bool ExitSequenceRan() const { return exitSequenceRan_; }

    // Paths from outside the dialogs (the command line, a drop on the list, the desktop's
    // OpenUri), appended by EntriesFromPaths; `start` plays the first entry added. Paths that
    // could not be added are named in one error box; the rest is added all the same.
    void OpenPaths(const std::vector<std::string>& paths, bool start);
    // The exit sequence without the question (the desktop's Quit).
    void QuitWithoutAsking();

    // Handlers of this window's own controls.
    void AddButtonClick();
    void ClearButtonClick();
    void AboutButtonClick();
    void N7Click();

    // PlayerView
    int SelectedRow() const override;
    void SelectRow(int row) override;
    bool RandomChecked() const override;
    bool RepeatChecked() const override;
    void OpenAddMenu() override { AddButtonClick(); }
    void SetSeekMaximum(int maximum) override;
    int SeekMaximum() const override;
    void SetSeekPosition(int position) override;
    int SeekPosition() const override;
    void SetElapsedText(const std::string& text) override;
    std::string ElapsedText() const override;
    void SetTotalText(const std::string& text) override;
    std::string TotalText() const override;
    void SetCaption(const std::string& title) override;
    void SetApplicationTitle(const std::string& title) override;
    void RefreshTrayTip(const std::string& title) override;
    MessageTarget* EndMessageTarget() override { return Target(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    enum class CloseAction { None, Free };
    CloseAction FormClose();
    void ExitSequence();
    void BindControls();
    void SetUpAccessibility();
    void PopUpAtCursor(QMenu* menu);
    void FitTimeLabels();
    // Connects a signal to a handler that runs inside the error report.
    template <typename Sender, typename Signal, typename Handler>
    void Bind(Sender* sender, Signal signal, Handler handler);

    std::unique_ptr<Ui::TMainForm> ui_;
    Dialogs& dialogs_;
    MainFormOptions options_;
    std::string applicationTitle_ = kProductName;
    ErrorReport errors_;
    QtMessageTarget messages_;
    PlaylistModel playlist_;
    MainMenus menus_;
    QIcon icon_;
    std::unique_ptr<lightBASS> bass_;
    std::unique_ptr<PlaybackController> controller_;
    std::unique_ptr<PlaylistEditor> editor_;
    std::unique_ptr<VolumeProgressBar> volumeBar_;
    std::unique_ptr<MasterVolume> volume_;
    // The sound server is reached while the window is being built; FormCreate takes the result.
    std::future<std::unique_ptr<MasterMixer>> pendingMixer_;
    TrayIcon* tray_ = nullptr;  // child of this window
    std::unique_ptr<WindowHiding> hiding_;
    TAboutBox* aboutBox_ = nullptr;
    bool exitSequenceRan_ = false;
};
