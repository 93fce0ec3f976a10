// The media-player interface on a private bus, against the whole player with the real engine
// and a private sound server: a QtDBus client calls every method and property the way media
// keys and playerctl do, and records PropertiesChanged and Seeked as they arrive.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <algorithm>
#include <cctype>
#include <vector>

#include "app/main_form.h"
#include "app/mpris_bridge.h"
#include "app/window_hiding.h"
#include "mpris/mpris_service.h"
#include "playback/playback_controller.h"
#include "playlist/folder_scan.h"
#include "playlist/music_filter.h"
#include "tests/media/bytes.h"
#include "tests/media/media.h"
#include "tests/media/recording.h"
#include "tests/media/scratch_dir.h"
#include "tests/mpris/private_bus.h"
#include "tests/support/scripted_dialogs.h"
#include "volume/master_volume.h"

namespace {

namespace fs = std::filesystem;

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

template <typename Predicate>
bool WaitUntil(Predicate done, int milliseconds = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// a{sv} arrives as a QDBusArgument wherever it is nested in a variant.
QVariantMap AsMap(const QVariant& value) {
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

}  // namespace

// One program on the bus that watches and drives the player, as a desktop shell does.
class BusClient : public QObject {
    Q_OBJECT
  public:
    BusClient(QDBusConnection bus, QString service)
        : bus_(std::move(bus)), service_(std::move(service)) {
        bus_.connect(service_, kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                     SLOT(OnChanged(QString, QVariantMap, QStringList)));
        bus_.connect(service_, kPath, kPlayer, QStringLiteral("Seeked"), this,
                     SLOT(OnSeeked(qlonglong)));
    }

    // Calls without blocking the thread the service answers on.
    QDBusMessage Call(const QString& interface, const QString& method,
                      const QVariantList& args = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(service_, kPath, interface, method);
        message.setArguments(args);
        QDBusPendingCall pending = bus_.asyncCall(message);
        WaitUntil([&] { return pending.isFinished(); }, 10000);
        EXPECT_FALSE(pending.isError())
            << method.toStdString() << ": " << pending.error().message().toStdString();
        return pending.reply();
    }
    QVariant Get(const QString& interface, const QString& name) {
        const QDBusMessage reply = Call(kProperties, QStringLiteral("Get"), {interface, name});
        if (reply.arguments().isEmpty()) return {};
        return reply.arguments().front().value<QDBusVariant>().variant();
    }
    void Set(const QString& interface, const QString& name, const QVariant& value) {
        Call(kProperties, QStringLiteral("Set"),
             {interface, name, QVariant::fromValue(QDBusVariant(value))});
    }
    void Player(const char* method, const QVariantList& args = {}) {
        Call(kPlayer, QLatin1String(method), args);
    }
    QVariantMap Metadata() { return AsMap(Get(kPlayer, QStringLiteral("Metadata"))); }
    QString Status() { return Get(kPlayer, QStringLiteral("PlaybackStatus")).toString(); }

    // The last announced value of a player property, if any change named it.
    QVariant LastChange(const QString& name) const {
        for (auto it = changes.rbegin(); it != changes.rend(); ++it)
            if (it->contains(name)) return it->value(name);
        return {};
    }
    bool Announced(const QString& name) const { return LastChange(name).isValid(); }
    void Forget() {
        changes.clear();
        seeks.clear();
    }

    std::vector<QVariantMap> changes;
    std::vector<qlonglong> seeks;

  public slots:
    void OnChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
        if (interface == kPlayer) changes.push_back(changed);
    }
    void OnSeeked(qlonglong position) { seeks.push_back(position); }

  private:
    QDBusConnection bus_;
    QString service_;
};

namespace {

class Mpris : public testing::Test {
  protected:
    void SetUp() override {
        if (auto missing = media::SoundServerMissing()) GTEST_SKIP() << *missing;
        ASSERT_FALSE(bus_.Address().isEmpty());
        form.FormCreate();
        bridge = MprisBridge::Start(form, bus_.Connect(QStringLiteral("player")));
        ASSERT_TRUE(bridge);
        client = std::make_unique<BusClient>(bus_.Connect(QStringLiteral("client")),
                                             QLatin1String(MprisService::kBusName));
    }
    void TearDown() override {
        if (bridge) form.Controller().StopButtonClick();
    }

    std::string Add(const media::MediaFile& file) {
        form.Playlist().Append(file.path.string());
        return file.path.string();
    }
    void Wait(const char* status) {
        EXPECT_TRUE(WaitUntil([&] {
            return client->LastChange(QStringLiteral("PlaybackStatus")) == QLatin1String(status);
        })) << status;
    }
    // A start sends Seeked(0) after the status; it may reach the client a little later.
    void WaitStarted() {
        Wait("Playing");
        EXPECT_TRUE(WaitUntil([&] { return !client->seeks.empty(); })) << "no Seeked at the start";
    }

    media::ScratchDir scratch_{"mpris"};
    PrivateBus bus_;
    ScriptedDialogs dialogs;
    int quitCalls = 0;
    TMainForm form{dialogs, MainFormOptions{std::string(VYN_BIN_DIR) + "/libbass.so",
                                            [this] { ++quitCalls; }}};
    std::unique_ptr<MprisBridge> bridge;
    std::unique_ptr<BusClient> client;
    media::ToneSpec tone{44100, 2, 3.0, 440.0, 0.3};
};

// Every list of formats the program shows is made from the format table; a copy kept
// anywhere else would show here as a difference.
TEST(FormatLists, DialogFolderScanMprisDesktopEntryAndMimePackageFollowTheTable) {
    const auto fileText = [](const std::string& path) {
        const media::Bytes bytes = media::ReadFileBytes(path);
        return std::string(bytes.begin(), bytes.end());
    };
    const std::string desktop = fileText(VYN_DESKTOP_FILE);
    const size_t line = desktop.find("\nMimeType=");
    ASSERT_NE(line, std::string::npos);
    const std::string mimeLine = desktop.substr(line + 1, desktop.find('\n', line + 1) - line);
    const std::string mimePackage = fileText(VYN_MIME_FILE);
    const std::string desktopTemplate = fileText(VYN_SOURCE_DIR "/data/vyn-player.desktop.in");
    const QStringList mpris = SupportedMimeTypes();
    const std::string& filter = MusicFileFilter();
    const std::string allKinds = filter.substr(0, filter.find('|', filter.find('|') + 1));

    QStringList tableTypes;
    std::vector<std::string> scanOrder, kinds;
    std::vector<const FormatRow*> rows;
    for (const FormatRow& row : kFormatTable) rows.push_back(&row);
    std::ranges::sort(rows, {}, &FormatRow::scanOrder);
    for (const FormatRow* row : rows) scanOrder.push_back("*" + std::string(row->extension));
    EXPECT_TRUE(std::ranges::equal(scanOrder, kFolderScanPatterns));
    for (const FormatRow& row : kFormatTable) {
        SCOPED_TRACE(std::string(row.extension));
        std::string lower = "*";
        for (char c : row.extension) lower += char(std::tolower(static_cast<unsigned char>(c)));
        kinds.push_back(lower);
        const std::string name(row.extension.substr(1));
        EXPECT_NE(filter.find("|" + name + "|" + lower), std::string::npos);
        const bool declared = mimePackage.find("\"" + lower + "\"") != std::string::npos;
        EXPECT_EQ(declared, row.glob != MimeGlob::Known);
        for (const QString& type :
             QString::fromStdString(std::string(row.mimeTypes)).split(';', Qt::SkipEmptyParts)) {
            if (!tableTypes.contains(type)) tableTypes.append(type);
            EXPECT_NE(mimeLine.find(type.toStdString() + ";"), std::string::npos);
            EXPECT_EQ(desktopTemplate.find(type.toStdString() + ";"), std::string::npos)
                << "a second copy in the desktop entry's template";
        }
    }
    EXPECT_EQ(mpris, tableTypes);
    std::string joined;
    for (const std::string& kind : kinds) joined += (joined.empty() ? "|" : ";") + kind;
    EXPECT_EQ(allKinds, "Все известные файлы" + joined);
}

TEST_F(Mpris, NamesRootPropertiesAndASecondCopy) {
    EXPECT_EQ(bridge->Service().BusName(), QLatin1String(MprisService::kBusName));
    EXPECT_EQ(client->Get(kRoot, QStringLiteral("Identity")).toString(),
              QStringLiteral("Vyn Player"));
    EXPECT_EQ(client->Get(kRoot, QStringLiteral("DesktopEntry")).toString(),
              QStringLiteral("vyn-player"));
    for (const char* name : {"CanQuit", "CanRaise"})
        EXPECT_TRUE(client->Get(kRoot, QLatin1String(name)).toBool()) << name;
    EXPECT_FALSE(client->Get(kRoot, QStringLiteral("HasTrackList")).toBool());
    EXPECT_EQ(client->Get(kRoot, QStringLiteral("SupportedUriSchemes")).toStringList(),
              QStringList{"file"});
    const QStringList types =
        client->Get(kRoot, QStringLiteral("SupportedMimeTypes")).toStringList();
    for (const char* type :
         {"audio/mpeg", "audio/x-vorbis+ogg", "audio/x-wav", "audio/x-it", "audio/x-mod"})
        EXPECT_TRUE(types.contains(QLatin1String(type))) << type;
    for (const char* name : {"Rate", "MinimumRate", "MaximumRate"})
        EXPECT_EQ(client->Get(kPlayer, QLatin1String(name)).toDouble(), 1.0) << name;
    EXPECT_TRUE(client->Get(kPlayer, QStringLiteral("CanControl")).toBool());
    EXPECT_EQ(client->Status(), QStringLiteral("Stopped"));
    EXPECT_TRUE(client->Metadata().isEmpty());

    // A second copy on the same bus takes a name of its own.
    TMainForm second{dialogs, MainFormOptions{std::string(VYN_BIN_DIR) + "/libbass.so", {}}};
    auto other = MprisBridge::Start(second, bus_.Connect(QStringLiteral("second")));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->Service().BusName(),
              QStringLiteral("org.mpris.MediaPlayer2.vyn.instance%1").arg(getpid()));
}

TEST_F(Mpris, TransportAnnouncesStatusMetadataAndJumps) {
    media::MpegOptions tagged;
    tagged.leadingTag =
        media::Id3v2Tag({3, {media::TextFrame("TPE1", "Band"), media::TextFrame("TIT2", "Song")}});
    const std::string mp3 = Add(media::WriteMp3(scratch_ / "one two.mp3", tone, tagged));
    Add(media::WriteOgg(scratch_ / "two.ogg", tone, {{{"TITLE", "Только название"}}}));
    const std::string wav = Add(media::WriteWav(scratch_ / "three.wav", tone));

    client->Player("Play");
    WaitStarted();
    QVariantMap first = AsMap(client->LastChange(QStringLiteral("Metadata")));
    EXPECT_EQ(first.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Song"));
    EXPECT_EQ(first.value(QStringLiteral("xesam:artist")).toStringList(), QStringList{"Band"});
    EXPECT_EQ(first.value(QStringLiteral("xesam:url")).toString(),
              QString::fromStdString("file://" + mp3.substr(0, mp3.rfind(' ')) + "%20two.mp3"));
    const QVariant length = first.value(QStringLiteral("mpris:length"));
    EXPECT_EQ(length.metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_NEAR(length.toLongLong(), 3'000'000, 60'000);  // gapless MP3: the tone's 3 s
    const QString firstId =
        first.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
    EXPECT_TRUE(firstId.startsWith(QStringLiteral("/org/vyn/track/"))) << firstId.toStdString();
    EXPECT_EQ(client->seeks, std::vector<qlonglong>{0});
    EXPECT_TRUE(client->LastChange(QStringLiteral("CanPause")).toBool());
    EXPECT_EQ(client->Metadata(), first);  // the property agrees with the announcement

    client->Player("Pause");
    Wait("Paused");
    EXPECT_FALSE(client->LastChange(QStringLiteral("CanSeek")).toBool());
    client->Player("PlayPause");
    Wait("Playing");
    EXPECT_EQ(form.Controller().CurrentTrack(), 0);  // resumed, not restarted elsewhere

    client->Forget();
    client->Player("Next");
    ASSERT_TRUE(WaitUntil(
        [&] { return client->Announced(QStringLiteral("Metadata")) && !client->seeks.empty(); }));
    QVariantMap second = AsMap(client->LastChange(QStringLiteral("Metadata")));
    EXPECT_EQ(second.value(QStringLiteral("xesam:title")).toString(),
              QStringLiteral("Только название"));
    EXPECT_FALSE(second.contains(QStringLiteral("xesam:artist")));
    EXPECT_NE(second.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
              firstId);
    EXPECT_EQ(client->seeks, std::vector<qlonglong>{0});
    EXPECT_TRUE(client->LastChange(QStringLiteral("CanGoPrevious")).toBool());

    client->Player("Next");  // the WAV: no tags, the file name is the title
    ASSERT_TRUE(
        WaitUntil([&] { return client->LastChange(QStringLiteral("CanGoNext")) == false; }));
    QVariantMap third = client->Metadata();
    EXPECT_EQ(third.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("three"));
    EXPECT_EQ(third.value(QStringLiteral("xesam:url")).toString(),
              QString::fromStdString("file://" + wav));

    client->Player("Previous");
    ASSERT_TRUE(WaitUntil([&] { return form.Controller().CurrentTrack() == 1; }));
    client->Player("Stop");
    Wait("Stopped");
    EXPECT_TRUE(AsMap(client->LastChange(QStringLiteral("Metadata"))).isEmpty());
    for (const QVariantMap& change : client->changes)
        EXPECT_FALSE(change.contains(QStringLiteral("Position")));
}

TEST_F(Mpris, SeekAndSetPositionMoveStreamsByMicrosecondsAndModulesByOrder) {
    Add(media::WriteWav(scratch_ / "long.wav", media::ToneSpec{44100, 2, 6.0, 440.0, 0.3}));
    media::ModuleSpec song;  // 3 orders of 1.92 s each
    Add(media::WriteXm(scratch_ / "three.xm", song));
    client->Player("Play");
    WaitStarted();
    client->Forget();

    client->Player("Seek", {QVariant::fromValue(qlonglong{2'500'000})});
    ASSERT_TRUE(WaitUntil([&] { return !client->seeks.empty(); }));
    EXPECT_NEAR(client->seeks.front(), 2'500'000, 300'000);
    EXPECT_GE(client->Get(kPlayer, QStringLiteral("Position")).toLongLong(), 2'400'000);

    // A wrong track id, and a position past the end, change nothing.
    client->Forget();
    client->Player("SetPosition", {QVariant::fromValue(QDBusObjectPath("/org/vyn/track/999")),
                                   QVariant::fromValue(qlonglong{500'000})});
    const QString id =
        client->Metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
    client->Player("SetPosition", {QVariant::fromValue(QDBusObjectPath(id)),
                                   QVariant::fromValue(qlonglong{60'000'000})});
    client->Player("SetPosition", {QVariant::fromValue(QDBusObjectPath(id)),
                                   QVariant::fromValue(qlonglong{1'000'000})});
    ASSERT_TRUE(WaitUntil([&] { return !client->seeks.empty(); }));
    EXPECT_EQ(client->seeks.size(), 1u);
    EXPECT_NEAR(client->seeks.front(), 1'000'000, 300'000);

    // Past the end of the track a seek acts as Next: the module starts.
    client->Forget();
    client->Player("Seek", {QVariant::fromValue(qlonglong{30'000'000})});
    ASSERT_TRUE(
        WaitUntil([&] { return form.Controller().CurrentTrack() == 1 && !client->seeks.empty(); }));
    const QVariantMap module = client->Metadata();
    EXPECT_NEAR(module.value(QStringLiteral("mpris:length")).toLongLong(), 5'760'000, 100'000);
    // 4.0 s lies nearest to the start of order 2 (3.84 s).
    client->Forget();
    client->Player("SetPosition", {module.value(QStringLiteral("mpris:trackid")),
                                   QVariant::fromValue(qlonglong{4'000'000})});
    ASSERT_TRUE(WaitUntil([&] { return !client->seeks.empty(); }));
    ASSERT_TRUE(WaitUntil([&] {
        return client->Get(kPlayer, QStringLiteral("Position")).toLongLong() >= 3'840'000;
    }));
    EXPECT_LT(client->Get(kPlayer, QStringLiteral("Position")).toLongLong(), 5'760'000);
}

TEST_F(Mpris, LoopShuffleAndVolumeFollowTheWindowBothWays) {
    auto* repeat = form.findChild<QCheckBox*>(QStringLiteral("RepeatBox"));
    auto* random = form.findChild<QCheckBox*>(QStringLiteral("RandomBox"));
    client->Set(kPlayer, QStringLiteral("LoopStatus"), QStringLiteral("Playlist"));
    EXPECT_TRUE(repeat->isChecked());
    client->Set(kPlayer, QStringLiteral("LoopStatus"), QStringLiteral("Track"));  // not offered
    EXPECT_TRUE(repeat->isChecked());
    client->Set(kPlayer, QStringLiteral("Shuffle"), true);
    EXPECT_TRUE(random->isChecked());
    ASSERT_TRUE(WaitUntil([&] { return client->Announced(QStringLiteral("Shuffle")); }));
    EXPECT_EQ(client->LastChange(QStringLiteral("LoopStatus")).toString(),
              QStringLiteral("Playlist"));

    client->Forget();
    repeat->setChecked(false);  // the window's own box is announced too
    ASSERT_TRUE(WaitUntil([&] { return client->Announced(QStringLiteral("LoopStatus")); }));
    EXPECT_EQ(client->LastChange(QStringLiteral("LoopStatus")).toString(), QStringLiteral("None"));
    EXPECT_EQ(client->Get(kPlayer, QStringLiteral("LoopStatus")).toString(),
              QStringLiteral("None"));

    ASSERT_TRUE(form.Volume().MixerAvailable());
    client->Set(kPlayer, QStringLiteral("Volume"), 0.25);
    EXPECT_NEAR(client->Get(kPlayer, QStringLiteral("Volume")).toDouble(), 0.25, 0.01);
    client->Set(kPlayer, QStringLiteral("Volume"), 7.0);  // held to the range
    EXPECT_NEAR(client->Get(kPlayer, QStringLiteral("Volume")).toDouble(), 1.0, 0.01);
    ASSERT_TRUE(WaitUntil([&] { return client->Announced(QStringLiteral("Volume")); }));
}

TEST_F(Mpris, EmptyListPlayIsQuietAndOpenUriAppendsAndPlays) {
    client->Player("Play");
    client->Player("PlayPause");
    EXPECT_EQ(client->Status(), QStringLiteral("Stopped"));
    EXPECT_EQ(form.Playlist().Count(), 0);

    const auto wav = media::WriteWav(scratch_ / "a b.wav", tone);
    client->Player("OpenUri",
                   {QStringLiteral("file://%1")
                        .arg(QString::fromStdString((scratch_.path() / "a%20b.wav").string()))});
    Wait("Playing");
    ASSERT_EQ(form.Playlist().Count(), 1);
    EXPECT_EQ(form.Playlist().At(0), wav.path.string());
    client->Player("OpenUri", {QStringLiteral("http://example.org/x.mp3")});  // not ours
    EXPECT_EQ(form.Playlist().Count(), 1);
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(Mpris, RaiseShowsTheHiddenWindowAndQuitExitsWithoutAsking) {
    form.hide();  // as when hidden in the tray
    ASSERT_FALSE(form.isVisible());
    client->Call(kRoot, QStringLiteral("Raise"));
    EXPECT_TRUE(form.isVisible());
    client->Call(kRoot, QStringLiteral("Quit"));
    EXPECT_TRUE(form.ExitSequenceRan());
    EXPECT_EQ(quitCalls, 1);
    EXPECT_TRUE(dialogs.asked.empty());  // no question
}

TEST(MprisWithoutBus, ThePlayerRunsWithoutTheService) {
    ScriptedDialogs dialogs;
    TMainForm form{dialogs, MainFormOptions{}};
    EXPECT_FALSE(MprisBridge::Start(form, QDBusConnection(QStringLiteral("no such bus"))));
    // Neither an address nor a socket in the runtime folder: no bus is looked for.
    const auto saved = [](const char* name) {
        return std::make_pair(qEnvironmentVariableIsSet(name), qgetenv(name));
    };
    const auto address = saved("DBUS_SESSION_BUS_ADDRESS");
    const auto runtime = saved("XDG_RUNTIME_DIR");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", VYN_TEST_TMP);
    EXPECT_FALSE(MprisBridge::SessionBus());
    const auto restore = [](const char* name, const std::pair<bool, QByteArray>& value) {
        if (value.first)
            qputenv(name, value.second);
        else
            qunsetenv(name);
    };
    restore("DBUS_SESSION_BUS_ADDRESS", address);
    restore("XDG_RUNTIME_DIR", runtime);
}

}  // namespace

#include "mpris_test.moc"
