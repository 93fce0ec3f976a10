#include "app/main_form.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "app/about_box.h"
#include "app/app_art.h"
#include "app/classic_font.h"
#include "app/playlist_delegate.h"
#include "platform/display_text.h"
#include "ui_main_form.h"

namespace {
QString Text(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

const char* const kExitQuestion = "Вы действительно хотите выйти ?";
}  // namespace

TMainForm::TMainForm(Dialogs& dialogs, MainFormOptions options, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::TMainForm>()),
      dialogs_(dialogs),
      options_(std::move(options)),
      errors_(
          dialogs, [this] { return applicationTitle_; }, this),
      messages_([this](uint32_t m, uintptr_t w, intptr_t l) { RouteMessage(m, w, l); }, this) {
    ui_->setupUi(this);
    ApplyClassicFonts(this);
    SetElapsedText("0:00");
    SetTotalText("0:00");
    // Minimise and close but no maximise, set before the native window exists so that it is
    // created once and never replaced.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui_->PlayList->setModel(&playlist_);
    ui_->PlayList->setItemDelegate(new PlaylistDelegate(ui_->PlayList));
    menus_ = BuildMainMenus(this);
    SetUpAccessibility();
    BindControls();
}

TMainForm::~TMainForm() = default;

template <typename Sender, typename Signal, typename Handler>
void TMainForm::Bind(Sender* sender, Signal signal, Handler handler) {
    connect(sender, signal, this, [this, handler] { errors_.Guard(handler); });
}

void TMainForm::BindControls() {
    Bind(ui_->AddButton, &QToolButton::clicked, [this] { AddButtonClick(); });
    Bind(ui_->ClearButton, &QToolButton::clicked, [this] { ClearButtonClick(); });
    Bind(ui_->AboutButton, &QToolButton::clicked, [this] { AboutButtonClick(); });
    auto* exit = findChild<QAction*>(QStringLiteral("N7"));
    Bind(exit, &QAction::triggered, [this] { N7Click(); });
}

void TMainForm::SetUpAccessibility() {
    // Captions name the controls; hints describe them. Controls without a caption are named
    // after their hint, or after what they show.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->setAccessibleName(button->text());
            button->setAccessibleDescription(button->toolTip());
        }
    }
    ui_->PlayList->setAccessibleName(ui_->PlayList->toolTip());
    ui_->PlayList->setAccessibleDescription(ui_->PlayList->toolTip());
    ui_->VolumeBar->setAccessibleName(ui_->VolumeBar->toolTip());
    ui_->VolumeBar->setAccessibleDescription(ui_->VolumeBar->toolTip());
    ui_->ProgrBar->setAccessibleName(QStringLiteral("Позиция"));
    ui_->CurTmLb->setAccessibleName(ui_->CurTmLb->text());
    ui_->TotTmLb->setAccessibleName(ui_->TotTmLb->text());
}

void TMainForm::FormCreate() {
    setWindowIcon(ApplicationIcon());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    ui_->Panel1->setFocus();
}

void TMainForm::RouteMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
    (void)wparam;
    (void)lparam;
    switch (message) {
        case VYN_WM_USER:
        case VYN_MM_MIXM_CONTROL_CHANGE:
        case VYN_WM_TRAYICON:
        default:
            break;  // anything else is not ours
    }
}

void TMainForm::PopUpAtCursor(QMenu* menu) {
    menu->popup(QCursor::pos());
}

void TMainForm::AddButtonClick() {
    PopUpAtCursor(menus_.PopupMenu1);
}

void TMainForm::ClearButtonClick() {
    PopUpAtCursor(menus_.PopupMenu3);
}

void TMainForm::AboutButtonClick() {
    if (aboutBox_) aboutBox_->exec();
}

void TMainForm::N7Click() {
    close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    CloseAction action = CloseAction::None;
    errors_.Guard([&] { action = FormClose(); });
    if (action == CloseAction::None) {
        event->ignore();
        return;
    }
    event->accept();
    if (options_.quit) options_.quit();
}

TMainForm::CloseAction TMainForm::FormClose() {
    if (ui_->HideBox->isChecked() && isVisible()) {
        hide();
        return CloseAction::None;
    }
    if (!dialogs_.AskYesNo(nullptr, applicationTitle_, kExitQuestion)) return CloseAction::None;
    ExitSequence();
    return CloseAction::Free;
}

void TMainForm::ExitSequence() {
    exitSequenceRan_ = true;
}

int TMainForm::SelectedRow() const {
    const QModelIndexList rows = ui_->PlayList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void TMainForm::SelectRow(int row) {
    const QModelIndex index = playlist_.index(row);
    ui_->PlayList->setCurrentIndex(index);
    ui_->PlayList->scrollTo(index);
}

bool TMainForm::RandomChecked() const {
    return ui_->RandomBox->isChecked();
}
bool TMainForm::RepeatChecked() const {
    return ui_->RepeatBox->isChecked();
}

void TMainForm::SetSeekMaximum(int maximum) {
    ui_->ProgrBar->setMaximum(maximum);
}
int TMainForm::SeekMaximum() const {
    return ui_->ProgrBar->maximum();
}
void TMainForm::SetSeekPosition(int position) {
    ui_->ProgrBar->setValue(position);
}
int TMainForm::SeekPosition() const {
    return ui_->ProgrBar->value();
}

void TMainForm::SetElapsedText(const std::string& text) {
    // Sized to its text with the right edge fixed.
    QLabel* label = ui_->CurTmLb;
    const int right = label->geometry().right();
    label->setText(Text(text));
    label->adjustSize();
    label->move(right - label->width() + 1, label->y());
}

std::string TMainForm::ElapsedText() const {
    return ui_->CurTmLb->text().toStdString();
}

void TMainForm::SetTotalText(const std::string& text) {
    // Sized to its text with the left edge fixed.
    ui_->TotTmLb->setText(Text(text));
    ui_->TotTmLb->adjustSize();
}

std::string TMainForm::TotalText() const {
    return ui_->TotTmLb->text().toStdString();
}

void TMainForm::SetCaption(const std::string& title) {
    setWindowTitle(DisplayText(title));
}

void TMainForm::SetApplicationTitle(const std::string& title) {
    applicationTitle_ = title;
}

void TMainForm::RefreshTrayTip(const std::string& title) {
    (void)title;
}
