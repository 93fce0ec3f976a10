#include "app/main_form.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <filesystem>

#include "app/about_box.h"
#include "app/app_art.h"
#include "app/classic_font.h"
#include "app/playlist_delegate.h"
#include "app/tray_icon.h"
#include "app/tray_tip.h"
#include "app/window_hiding.h"
#include "platform/display_text.h"
#include "playback/lightbass.h"
#include "playback/playback_controller.h"
#include "playback/seek_bar_adapter.h"
#include "playlist/path_intake.h"
#include "playlist/playlist_editor.h"
#include "ui_main_form.h"
#include "volume/master_volume.h"
#include "volume/pulse_mixer.h"
#include "volume/volume_progress_bar.h"

namespace {
const char* const kExitQuestion = "Вы действительно хотите выйти ?";
const char* const kNoMixer = "Микшер не найден !";
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
    FitTimeLabels();
    // Minimise and close but no maximise, set before the native window exists so that it is
    // created once and never replaced.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui_->PlayList->setModel(&playlist_);
    ui_->PlayList->setItemDelegate(new PlaylistDelegate(ui_->PlayList));
    menus_ = BuildMainMenus(this);
    icon_ = ApplicationIcon();

    // Connecting takes a few milliseconds of waiting on the server: let it overlap the rest.
    pendingMixer_ = std::async(
        std::launch::async,
        [target = Target()]() -> std::unique_ptr<MasterMixer> { return PulseMixer::Open(target); });
    bass_ = options_.enginePath.empty() ? std::make_unique<lightBASS>()
                                        : std::make_unique<lightBASS>(options_.enginePath);
    controller_ = std::make_unique<PlaybackController>(*this, playlist_, *bass_, errors_);
    editor_ = std::make_unique<PlaylistEditor>(playlist_, dialogs_, *controller_, this);
    volumeBar_ = std::make_unique<VolumeProgressBar>(*ui_->VolumeBar);
    volume_ = std::make_unique<MasterVolume>(*volumeBar_);
    tray_ = new TrayIcon(this);  // owned by this window
    hiding_ = std::make_unique<WindowHiding>(*this, *menus_.PopupMenu2);

    SetUpAccessibility();
    BindControls();
}

TMainForm::~TMainForm() {
    // Playback stops before the window it reports to goes away.
    controller_.reset();
}

template <typename Sender, typename Signal, typename Handler>
void TMainForm::Bind(Sender* sender, Signal signal, Handler handler) {
    connect(sender, signal, this, [this, handler] { errors_.Guard(handler); });
}

void TMainForm::BindControls() {
    PlaybackController& play = *controller_;
    PlaylistEditor& edit = *editor_;
    auto item = [this](const char* name) { return findChild<QAction*>(QLatin1String(name)); };
    // A button and a menu item bound to one handler do the same thing.
    auto bindHandler = [&](QToolButton* button, const char* menuItem, auto handler) {
        if (button) Bind(button, &QToolButton::clicked, handler);
        if (menuItem) Bind(item(menuItem), &QAction::triggered, handler);
    };
    bindHandler(ui_->PrevButton, "N1", [&play] { play.PrevButtonClick(); });
    bindHandler(ui_->PlayButton, "N2", [&play] { play.PlayButtonClick(); });
    bindHandler(ui_->PauseButton, "N3", [&play] { play.PauseButtonClick(); });
    bindHandler(ui_->NextButton, "N4", [&play] { play.NextButtonClick(); });
    bindHandler(ui_->StopButton, "N5", [&play] { play.StopButtonClick(); });
    bindHandler(ui_->AddButton, nullptr, [this] { AddButtonClick(); });
    bindHandler(ui_->ClearButton, nullptr, [this] { ClearButtonClick(); });
    bindHandler(ui_->AboutButton, nullptr, [this] { AboutButtonClick(); });
    bindHandler(ui_->cmdMinVolume, nullptr, [this] { volume_->cmdMinVolumeClick(); });
    bindHandler(ui_->cmdMaxVolume, nullptr, [this] { volume_->cmdMaxVolumeClick(); });
    bindHandler(nullptr, "AddFile", [&edit] { edit.AddFileClick(); });
    bindHandler(nullptr, "N9", [&edit] { edit.AddFileClick(); });
    bindHandler(nullptr, "AddDir", [&edit] { edit.AddDirClick(); });
    bindHandler(nullptr, "N10", [&edit] { edit.AddDirClick(); });
    bindHandler(nullptr, "N12", [this, &edit] { edit.N12Click(SelectedRow()); });
    bindHandler(nullptr, "N14", [this, &edit] { edit.N12Click(SelectedRow()); });
    bindHandler(nullptr, "N11", [&edit] { edit.N11Click(); });
    bindHandler(nullptr, "N15", [&edit] { edit.N11Click(); });
    bindHandler(nullptr, "VynPlayer1", [this] { hiding_->VynPlayer1Click(); });
    bindHandler(nullptr, "N7", [this] { N7Click(); });
    Bind(ui_->Button1, &QPushButton::clicked, [&edit] { edit.Button1Click(); });
    Bind(ui_->Button2, &QPushButton::clicked, [&edit] { edit.Button2Click(); });
    Bind(ui_->PlayList, &QListView::doubleClicked, [&play] { play.PlayListDblClick(); });
    ui_->PlayList->installEventFilter(this);
    // Files, folders and playlists dropped on the list are appended; what plays goes on.
    ui_->PlayList->setAcceptDrops(true);
    ui_->PlayList->viewport()->setAcceptDrops(true);
    ui_->PlayList->viewport()->installEventFilter(this);
    new SeekBarAdapter(ui_->ProgrBar, [this](int code, int& position) {  // owned by the bar
        errors_.Guard([&] { controller_->Position().ProgrBarScroll(code, position); });
    });
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    // The list's key presses also go to the controller; the list still handles them.
    if (watched == ui_->PlayList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        errors_.Guard([&] { controller_->PlayListKeyDown(key); });
    }
    if (watched == ui_->PlayList->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!drag->mimeData()->hasUrls()) return false;
            drag->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            std::vector<std::string> paths;
            for (const QUrl& url : drop->mimeData()->urls())
                if (url.isLocalFile()) paths.push_back(PathBytes(url.toLocalFile()));
            drop->acceptProposedAction();
            OpenPaths(paths, false);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
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
    // The time labels and the window are named by what they show, so that a screen reader
    // hears each new time and title; a fixed name would hide the changes.
}

void TMainForm::FormCreate() {
    if (!volume_->SetUp(pendingMixer_.valid() ? pendingMixer_.get() : nullptr))
        dialogs_.ShowMessage(nullptr, kProductName, kNoMixer, Dialogs::Icon::None);
    setWindowIcon(icon_);
    tray_->TrayAdd(Target(), kTrayIconId, icon_, kTrayTipAtStart);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    ui_->Panel1->setFocus();
}

void TMainForm::RouteMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
    errors_.Guard([&] {
        switch (message) {
            case VYN_WM_USER:
                controller_->WM_NEXT(wparam);
                break;
            case VYN_MM_MIXM_CONTROL_CHANGE:
                volume_->MixerControlChange(isMinimized());
                break;
            case VYN_WM_TRAYICON:
                hiding_->TrayIconMessage(wparam, lparam);
                break;
            default:
                break;  // anything else is not ours
        }
    });
}

void TMainForm::OpenPaths(const std::vector<std::string>& paths, bool start) {
    std::error_code error;
    const std::string workingFolder = std::filesystem::current_path(error).native();
    PathIntake intake = EntriesFromPaths(paths, workingFolder);
    const int first = playlist_.Count();
    const bool added = !intake.entries.empty();
    playlist_.Append(std::move(intake.entries));
    if (start && added)
        errors_.Guard([&] {
            controller_->SetCurrentTrack(first);
            controller_->PlayCurrent();
        });
    if (!intake.rejected.empty()) errors_.Report(RejectedPathsText(intake.rejected));
}

void TMainForm::QuitWithoutAsking() {
    ExitSequence();
    hide();
    if (options_.quit) options_.quit();
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
        hiding_->HideToTray();
        return CloseAction::None;
    }
    if (!dialogs_.AskYesNo(nullptr, applicationTitle_, kExitQuestion)) return CloseAction::None;
    ExitSequence();
    return CloseAction::Free;
}

void TMainForm::ExitSequence() {
    exitSequenceRan_ = true;
    controller_->FreeAllBASS();
    if (volume_->MixerAvailable()) volume_->Close();
    tray_->TrayDelete(Target(), kTrayIconId);
}

int TMainForm::SelectedRow() const {
    const QModelIndexList rows = ui_->PlayList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void TMainForm::SelectRow(int row) {
    const QModelIndex index = playlist_.index(row);
    ui_->PlayList->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
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
    // Called ten times a second while playing; the text changes once a second.
    const QString shown = DisplayText(text);
    if (ui_->CurTmLb->text() == shown) return;
    ui_->CurTmLb->setText(shown);
    FitTimeLabels();
}

std::string TMainForm::ElapsedText() const {
    return ui_->CurTmLb->text().toStdString();
}

void TMainForm::SetTotalText(const std::string& text) {
    ui_->TotTmLb->setText(DisplayText(text));
    FitTimeLabels();
}

void TMainForm::FitTimeLabels() {
    // Both size themselves to their text: the elapsed time keeps its right edge, the total
    // time its left edge.
    QLabel* elapsed = ui_->CurTmLb;
    const int right = elapsed->geometry().right();
    elapsed->adjustSize();
    elapsed->move(right - elapsed->width() + 1, elapsed->y());
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
    tray_->TrayModify(Target(), kTrayIconId, icon_, TrayTipText(title, ElapsedText(), TotalText()));
}
