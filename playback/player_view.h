// What the playback controller needs of the main window: its controls, read and written
// as plain values. The main window implements it over its real widgets.
#pragma once

#include <string>

#include "platform/message_target.h"

class PlayerView {
  public:
    virtual ~PlayerView() = default;

    // PlayList's selected row, -1 when none; selecting a row scrolls it into view.
    virtual int SelectedRow() const = 0;
    virtual void SelectRow(int row) = 0;

    virtual bool RandomChecked() const = 0;  // RandomBox
    virtual bool RepeatChecked() const = 0;  // RepeatBox

    // AddButtonClick: the add menu pops up at the mouse pointer.
    virtual void OpenAddMenu() = 0;

    // ProgrBar; the minimum stays 0, positions are limited to the range by the bar.
    virtual void SetSeekMaximum(int maximum) = 0;
    virtual int SeekMaximum() const = 0;
    virtual void SetSeekPosition(int position) = 0;
    virtual int SeekPosition() const = 0;

    // CurTmLb and TotTmLb.
    virtual void SetElapsedText(const std::string& text) = 0;
    virtual std::string ElapsedText() const = 0;
    virtual void SetTotalText(const std::string& text) = 0;
    virtual std::string TotalText() const = 0;

    // The main window's caption, and the application title (taskbar text, dialog captions).
    virtual void SetCaption(const std::string& title) = 0;
    virtual void SetApplicationTitle(const std::string& title) = 0;

    // Every position tick while a track is open: the tray tip from the title and both labels.
    virtual void RefreshTrayTip(const std::string& title) = 0;

    // Where the engine posts its end-of-track message (the main window's target).
    virtual MessageTarget* EndMessageTarget() = 0;
};
