#include "playback/playback_controller.h"

#include "playback/play_time.h"
#include "trackinfo/display_title.h"

namespace {
constexpr std::int32_t kDefaultDevice = -1;
constexpr std::uint32_t kOutputFrequency = 44100;
constexpr std::uint32_t kInitFlags = 32;
constexpr int kPositionInterval = 100;  // ms
}  // namespace

PlaybackController::PlaybackController(PlayerView& view, PlaylistModel& playlist, lightBASS& bass,
                                       ErrorReport& errors)
    : view_(view),
      playlist_(playlist),
      bass_(bass),
      errors_(errors),
      tags_(bass),
      position_(view, bass, [this] { return GetSongTitle(); }),
      random_(RandomGenerator::SeededFromClock()) {
    position_.SetSeekListener([this] { Notify(PlaybackEvent::Seeked); });
}

PlaybackController::~PlaybackController() {
    StopTimePosTimer();
}

void PlaybackController::PlayCurrent() {
    if (playlist_.Count() == 0) return;
    try {
        StartCurrent();
    } catch (...) {
        Notify(PlaybackEvent::Changed);  // the previous track is gone all the same
        throw;
    }
    Notify(PlaybackEvent::Started);
}

void PlaybackController::StartCurrent() {
    StopTimePosTimer();
    bass_.StopAndFree();
    bass_.LoadAudioLibrary();
    bass_.InitAudioDevice(kDefaultDevice, kOutputFrequency, kInitFlags, view_.EndMessageTarget());
    if (currentTrack_ == -1) currentTrack_ = 0;
    const std::string& path = playlist_.At(currentTrack_);
    currentFormat_ = ClassifyFile(path);
    bass_.OpenAndPlay(path, IsStreamFormat(currentFormat_));

    std::int64_t playLength = 0;
    position_.SetRange(bass_.GetChannelLength(playLength));
    const double seconds =
        bass_.Api().ChannelBytes2Seconds(bass_.Channel(), static_cast<std::uint64_t>(playLength));
    view_.SetTotalText(FormatPlayTime(seconds));
    StartTimePosTimer();
    view_.SelectRow(currentTrack_);
    const std::string title = GetSongTitle();
    view_.SetCaption(title);
    view_.SetApplicationTitle(title);
}

bool PlaybackController::PlayNext() {
    const int count = playlist_.Count();
    if (view_.RandomChecked()) {
        currentTrack_ = static_cast<int>(random_.Below(static_cast<std::uint32_t>(count)));
    } else if (view_.RepeatChecked() && currentTrack_ == count - 1) {
        currentTrack_ = -1;
    } else if (currentTrack_ < count - 1) {
        ++currentTrack_;
    } else {
        return false;
    }
    PlayCurrent();
    return true;
}

void PlaybackController::FreeAllBASS() {
    StopTimePosTimer();
    bass_.StopAndFree();
    bass_.FreeAudioDevice();
    bass_.UnloadAudioLibrary();
    currentFormat_ = 0;
    view_.SetCaption(GetSongTitle());
    view_.SetTotalText("0:00");
    view_.SetElapsedText("0:00");
    Notify(PlaybackEvent::Changed);
}

void PlaybackController::PlaySelected() {
    const int row = view_.SelectedRow();
    if (row < 0) return;
    currentTrack_ = row;
    PlayCurrent();
}

void PlaybackController::PlayButtonClick() {
    if (playlist_.Count() == 0) view_.OpenAddMenu();
    PlayCurrent();
}

void PlaybackController::PauseButtonClick() {
    if (bass_.Channel() == 0) return;
    bass_.TogglePause();
    Notify(PlaybackEvent::Changed);
}

void PlaybackController::StopButtonClick() {
    FreeAllBASS();
}

void PlaybackController::NextButtonClick() {
    PlayNext();
}

void PlaybackController::PrevButtonClick() {
    if (currentTrack_ <= 0) return;
    --currentTrack_;
    PlayCurrent();
}

void PlaybackController::PlayListDblClick() {
    PlaySelected();
}

void PlaybackController::PlayListKeyDown(int qtKey) {
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) PlaySelected();
}

void PlaybackController::WM_NEXT(std::uintptr_t wparam) {
    if (bass_.Channel() == 0 || wparam != bass_.Channel()) return;
    view_.SetSeekPosition(view_.SeekMaximum());
    view_.SetElapsedText(view_.TotalText());
    if (!PlayNext()) FreeAllBASS();
}

std::string PlaybackController::GetSongTitle() const {
    return ComposeSongTitle(currentFormat_, currentTrack_, playlist_.Entries(),
                            tags_.Get(currentFormat_));
}

ArtistTitle PlaybackController::GetSongTags() const {
    return tags_.Get(currentFormat_);
}

void PlaybackController::Notify(PlaybackEvent event) const {
    if (listener_) listener_(event);
}

void PlaybackController::StartTimePosTimer() {
    if (positionTimer_) return;
    position_.Restart();
    positionTimer_ = std::make_unique<QTimer>();
    positionTimer_->setInterval(kPositionInterval);
    QObject::connect(positionTimer_.get(), &QTimer::timeout,
                     [this] { errors_.Guard([this] { position_.TimePosTimerProc(); }); });
    positionTimer_->start();
}

void PlaybackController::StopTimePosTimer() {
    positionTimer_.reset();
}
