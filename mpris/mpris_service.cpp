#include "mpris/mpris_service.h"

#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include "mpris/mpris_adaptors.h"
#include "mpris/mpris_host.h"
#include "mpris/track_clock.h"
#include "playlist/file_uri.h"
#include "trackinfo/format_table.h"

namespace {
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

bool TakeName(QDBusConnection& bus, const QString& name) {
    QDBusConnectionInterface* daemon = bus.interface();
    if (!daemon) return false;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        daemon->registerService(name, QDBusConnectionInterface::DontQueueService,
                                QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
}
}  // namespace

QStringList SupportedMimeTypes() {
    QStringList types;
    for (const std::string_view type : FormatMimeTypes())
        types.append(QString::fromLatin1(type.data(), static_cast<qsizetype>(type.size())));
    return types;
}

MprisService::MprisService(QDBusConnection bus, PlaybackController& controller, MprisHost& host,
                           Guard guard)
    : bus_(std::move(bus)), controller_(controller), host_(host), guard_(std::move(guard)) {
    new MprisRootAdaptor(this);    // owned by this object
    new MprisPlayerAdaptor(this);  // owned by this object
}

std::unique_ptr<MprisService> MprisService::Start(QDBusConnection bus,
                                                  PlaybackController& controller, MprisHost& host,
                                                  Guard guard) {
    if (!bus.isConnected()) return nullptr;
    std::unique_ptr<MprisService> service(
        new MprisService(bus, controller, host, std::move(guard)));
    if (!bus.registerObject(QLatin1String(kObjectPath), service.get(),
                            QDBusConnection::ExportAdaptors))
        return nullptr;
    QString name = QLatin1String(kBusName);
    if (!TakeName(bus, name)) {
        name += QStringLiteral(".instance%1").arg(::getpid());
        if (!TakeName(bus, name)) {
            bus.unregisterObject(QLatin1String(kObjectPath));
            return nullptr;
        }
    }
    service->busName_ = name;
    service->announced_ = service->Current();
    controller.SetListener([s = service.get()](PlaybackEvent event) { s->OnPlayback(event); });
    return service;
}

MprisService::~MprisService() {
    controller_.SetListener({});
    if (!busName_.isEmpty()) bus_.unregisterService(busName_);
    bus_.unregisterObject(QLatin1String(kObjectPath));
}

PlayerState MprisService::Current() const {
    return ReadPlayerState(controller_, host_, starts_);
}

qlonglong MprisService::Position() const {
    return TrackClock(controller_.Bass()).PositionMicroseconds();
}

void MprisService::Refresh() {
    PlayerState now = Current();
    const QVariantMap changed = ChangedProperties(announced_, now);
    announced_ = std::move(now);
    if (changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    bus_.send(signal);
}

void MprisService::OnPlayback(PlaybackEvent event) {
    switch (event) {
        case PlaybackEvent::Started:
            ++starts_;
            Refresh();
            emit Seeked(0);  // a jump: the new track starts at its beginning
            break;
        case PlaybackEvent::Changed:
            Refresh();
            break;
        case PlaybackEvent::Seeked:
            Refresh();
            emit Seeked(Position());
            break;
    }
}

void MprisService::Play() {
    // An empty list does nothing here: no menu pops up at the mouse for a media key.
    if (controller_.Playlist().Count() == 0) return;
    const lightBASS& bass = controller_.Bass();
    if (bass.Channel() != 0 && !bass.ChannelPaused()) return;
    Run([this] {
        if (controller_.Bass().ChannelPaused())
            controller_.PauseButtonClick();  // resumes
        else
            controller_.PlayButtonClick();
    });
}

void MprisService::Pause() {
    const lightBASS& bass = controller_.Bass();
    if (bass.Channel() == 0 || bass.ChannelPaused()) return;
    Run([this] { controller_.PauseButtonClick(); });
}

void MprisService::PlayPause() {
    const lightBASS& bass = controller_.Bass();
    if (bass.Channel() != 0 && !bass.ChannelPaused())
        Pause();
    else
        Play();
}

void MprisService::Stop() {
    Run([this] { controller_.StopButtonClick(); });
}

void MprisService::Next() {
    Run([this] { controller_.NextButtonClick(); });
}

void MprisService::Previous() {
    Run([this] { controller_.PrevButtonClick(); });
}

void MprisService::Seek(qlonglong offset) {
    if (!Current().canSeek) return;
    const TrackClock clock(controller_.Bass());
    const qlonglong target = std::max<qlonglong>(clock.PositionMicroseconds() + offset, 0);
    if (target > clock.LengthMicroseconds()) {
        Next();  // past the end: as if the track had ended
        return;
    }
    SeekToMicroseconds(target);
}

void MprisService::SetPosition(const QString& trackId, qlonglong position) {
    const PlayerState state = Current();
    if (!state.canSeek || trackId != TrackIdFor(state.metadata.start)) return;
    if (position < 0 || position > state.metadata.lengthMicroseconds) return;
    SeekToMicroseconds(position);
}

void MprisService::SeekToMicroseconds(qlonglong target) {
    Run([&] {
        const TrackClock clock(controller_.Bass());
        controller_.Position().SeekTo(clock.EnginePosition(target));
    });
}

void MprisService::OpenUri(const QString& uri) {
    const std::optional<std::string> path = LocalPathFromFileUri(uri.toStdString());
    if (!path) return;
    Run([&] { host_.OpenAndPlay({*path}); });
}
