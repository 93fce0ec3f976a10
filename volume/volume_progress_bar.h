// The main window's QProgressBar as the volume bar.
#pragma once

#include <QProgressBar>

#include "volume/volume_bar.h"

class VolumeProgressBar final : public VolumeBar {
  public:
    explicit VolumeProgressBar(QProgressBar& bar) : bar_(bar) {}
    int32_t Minimum() const override { return bar_.minimum(); }
    int32_t Maximum() const override { return bar_.maximum(); }
    int32_t Position() const override { return bar_.value(); }
    void SetMinimum(int32_t value) override { bar_.setMinimum(value); }
    void SetMaximum(int32_t value) override { bar_.setMaximum(value); }
    void SetPosition(int32_t value) override { bar_.setValue(value); }

  private:
    QProgressBar& bar_;
};
