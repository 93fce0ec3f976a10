#include "app/about_box.h"

#include <QGuiApplication>
#include <QScreen>

#include "app/app_art.h"
#include "app/classic_font.h"
#include "ui_about_box.h"

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::TAboutBox>()) {
    ui_->setupUi(this);
    ApplyClassicFonts(this);
    setFixedSize(size());
    setModal(true);
    for (QLabel* label : {ui_->ProductName, ui_->Version, ui_->CreditLabel})
        label->setAccessibleName(label->text());
    ui_->Image1->setAccessibleName(ui_->ProductName->text());
    connect(ui_->OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::OKButtonClick() {
    accept();
}

void TAboutBox::showEvent(QShowEvent* event) {
    // The picture and the labels' fonts are made at the first showing, not at start-up.
    if (ui_->Image1->pixmap().isNull()) {
        ui_->Image1->setPixmap(AboutPicture());
        for (QLabel* label : {ui_->ProductName, ui_->Version, ui_->CreditLabel})
            label->adjustSize();
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}
