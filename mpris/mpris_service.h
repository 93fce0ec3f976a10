// The desktop's media-player interface (MPRIS2) over the playback controller: media keys,
// shell media widgets and playerctl drive the same handlers as the buttons, and every
// change of what plays is announced on the session bus.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

#include "mpris/player_state.h"
#include "playback/playback_controller.h"

class MprisHost;

// The format table's MIME types, as the desktop entry lists them.
QStringList SupportedMimeTypes();

class MprisService : public QObject {
    Q_OBJECT
  public:
    using Guard = std::function<void(const std::function<void()>&)>;

    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char* kBusName = "org.mpris.MediaPlayer2.vyn";

    // Exports the interfaces on `bus` under kBusName, or under kBusName + ".instance<pid>"
    // when another copy holds it. Null when the bus is not connected or refuses both names.
    // Handlers run inside `guard`, which reports what they throw.
    static std::unique_ptr<MprisService> Start(QDBusConnection bus, PlaybackController& controller,
                                               MprisHost& host, Guard guard);
    ~MprisService() override;

    const QString& BusName() const { return busName_; }
    // Compares the state with the one last announced and announces what differs.
    void Refresh();

    // What the interfaces call.
    PlayerState Current() const;
    qlonglong Position() const;
    MprisHost& Host() { return host_; }
    void Run(const std::function<void()>& handler) { guard_(handler); }
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qlonglong offset);
    void SetPosition(const QString& trackId, qlonglong position);
    void OpenUri(const QString& uri);

  signals:
    void Seeked(qlonglong position);

  private:
    MprisService(QDBusConnection bus, PlaybackController& controller, MprisHost& host, Guard guard);
    void OnPlayback(PlaybackEvent event);
    void SeekToMicroseconds(qlonglong target);

    QDBusConnection bus_;
    PlaybackController& controller_;
    MprisHost& host_;
    Guard guard_;
    QString busName_;
    std::uint64_t starts_ = 0;
    PlayerState announced_;
};
