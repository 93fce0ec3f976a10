// Turns a QScrollBar's signals into the scroll codes of ProgrBarScroll: every action ends with
// scEndScroll at the position the bar takes, so an arrow or trough click seeks one step at
// once, while a drag reports scTrack and ends with scPosition and scEndScroll on release.
#pragma once

#include <QObject>
#include <functional>

class QScrollBar;

class SeekBarAdapter : public QObject {
    Q_OBJECT
  public:
    // (code, position): the position may be changed by the handler; the bar then takes it.
    using ScrollHandler = std::function<void(int code, int& position)>;

    // Owned by the bar. Sets its line and page steps to 1.
    SeekBarAdapter(QScrollBar* bar, ScrollHandler handler);

  private:
    void OnAction(int action);
    void Send(int code);

    QScrollBar* bar_;
    ScrollHandler handler_;
    bool thumbMoved_ = false;
};
