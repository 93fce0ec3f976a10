#include "mpris/mpris_adaptors.h"

#include <algorithm>

#include "mpris/mpris_host.h"
#include "mpris/mpris_service.h"

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(*service) {}

QString MprisRootAdaptor::Identity() const {
    return QStringLiteral("Vyn Player");
}
QString MprisRootAdaptor::DesktopEntry() const {
    return QStringLiteral("vyn-player");
}
QStringList MprisRootAdaptor::SupportedUriSchemes() const {
    return {QStringLiteral("file")};
}
QStringList MprisRootAdaptor::SupportedMimeTypes() const {
    return ::SupportedMimeTypes();
}
void MprisRootAdaptor::Raise() {
    service_.Run([this] { service_.Host().Raise(); });
}
void MprisRootAdaptor::Quit() {
    service_.Run([this] { service_.Host().Quit(); });
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(*service) {
    connect(service, &MprisService::Seeked, this, &MprisPlayerAdaptor::Seeked);
}

QString MprisPlayerAdaptor::PlaybackStatus() const {
    return service_.Current().playbackStatus;
}
QString MprisPlayerAdaptor::LoopStatus() const {
    return service_.Current().loopStatus;
}
void MprisPlayerAdaptor::SetLoopStatus(const QString& status) {
    // There is no repeat of one track; "Track" leaves the box as it is.
    if (status != QLatin1String("Playlist") && status != QLatin1String("None")) return;
    service_.Host().SetRepeatChecked(status == QLatin1String("Playlist"));
    service_.Refresh();
}
bool MprisPlayerAdaptor::Shuffle() const {
    return service_.Current().shuffle;
}
void MprisPlayerAdaptor::SetShuffle(bool shuffle) {
    service_.Host().SetRandomChecked(shuffle);
    service_.Refresh();
}
QVariantMap MprisPlayerAdaptor::Metadata() const {
    return MetadataMap(service_.Current().metadata);
}
double MprisPlayerAdaptor::Volume() const {
    return service_.Current().volume;
}
void MprisPlayerAdaptor::SetVolume(double volume) {
    service_.Run([&] { service_.Host().SetMasterVolume(std::clamp(volume, 0.0, 1.0)); });
    service_.Refresh();
}
qlonglong MprisPlayerAdaptor::Position() const {
    return service_.Position();
}
bool MprisPlayerAdaptor::CanGoNext() const {
    return service_.Current().canGoNext;
}
bool MprisPlayerAdaptor::CanGoPrevious() const {
    return service_.Current().canGoPrevious;
}
bool MprisPlayerAdaptor::CanPlay() const {
    return service_.Current().canPlay;
}
bool MprisPlayerAdaptor::CanPause() const {
    return service_.Current().canPause;
}
bool MprisPlayerAdaptor::CanSeek() const {
    return service_.Current().canSeek;
}

void MprisPlayerAdaptor::Next() {
    service_.Next();
}
void MprisPlayerAdaptor::Previous() {
    service_.Previous();
}
void MprisPlayerAdaptor::Pause() {
    service_.Pause();
}
void MprisPlayerAdaptor::PlayPause() {
    service_.PlayPause();
}
void MprisPlayerAdaptor::Stop() {
    service_.Stop();
}
void MprisPlayerAdaptor::Play() {
    service_.Play();
}
void MprisPlayerAdaptor::Seek(qlonglong Offset) {
    service_.Seek(Offset);
}
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    service_.SetPosition(TrackId.path(), Position);
}
void MprisPlayerAdaptor::OpenUri(const QString& Uri) {
    service_.OpenUri(Uri);
}
