// The about box: picture, product name, version and credit line, with an OK button.
// Created hidden at start-up and shown modally from the main window's "?" button.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutBox;
}

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    void OKButtonClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::unique_ptr<Ui::TAboutBox> ui_;
};
