#include "playback/lightbass.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <utility>

namespace {
constexpr std::array<const char*, 43> kAudioErrorMessages = {
    "All is OK",
    "Memory error",
    "Can't open the file",
    "Can't find a free sound driver",
    "The sample buffer was lost",
    "Invalid handle",
    "Unsupported sample format",
    "Invalid playback position",
    "BASS_Init has not been successfully called",
    "BASS_Start has not been successfully called",
    "Can't initialize CD",
    "BASS_CDInit has not been successfully called",
    "No CD in drive",
    "Can't play the selected CD track",
    "Already initialized",
    "CD has no volume control",
    "Not paused",
    "Not an audio track",
    "Can't get a free channel",
    "An illegal type was specified",
    "An illegal parameter was specified",
    "No 3D support",
    "No EAX support",
    "Illegal device number",
    "Not playing",
    "Illegal sample rate",
    "Unknown error",
    "The stream is not a file stream",
    "Unknown error",
    "No hardware voices available",
    "Unknown error",
    "The MOD music has no sequence data",
    "No internet connection could be opened",
    "couldn't create the file",
    "Effects are not enabled",
    "The channel is playing",
    "Unknown error",
    "Requested data is not available",
    "The channel is a \"decoding channel\"",
    "A sufficient DirectX version is not installed",
    "Connection timedout",
    "Unsupported file format",
    "Unavailable speaker",
};
constexpr std::uint32_t kUnknownErrorCode = 26;

constexpr std::uint64_t kLengthFailed = ~std::uint64_t{0};
constexpr std::uint32_t kMusicLoadFlags = 0x2800;
}  // namespace

const char* AudioErrorMessage(std::int32_t code) {
    auto index = static_cast<std::uint32_t>(code);
    if (index >= kAudioErrorMessages.size()) index = kUnknownErrorCode;
    return kAudioErrorMessages[index];
}

std::string lightBASS::DefaultLibraryPath() {
    std::array<char, PATH_MAX> exe{};
    const ssize_t length = readlink("/proc/self/exe", exe.data(), exe.size() - 1);
    if (length <= 0) return "libbass.so";
    std::string path(exe.data(), static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + "libbass.so";
}

lightBASS::lightBASS(std::string libraryPath) : libraryPath_(std::move(libraryPath)) {}

lightBASS::~lightBASS() {
    UnloadAudioLibrary();
}

void lightBASS::LoadAudioLibrary() {
    if (library_) return;
    DynamicLibrary library(libraryPath_);
    // The version is checked before anything else is resolved, so an engine of another
    // version is refused even when its entry points differ.
    library.Resolve("BASS_GetVersion", api_.GetVersion);
    if (api_.GetVersion() != BASS_VERSION_1_8) {
        api_ = {};
        throw EBASSError("Sorry, BASS version 1.8 required.");
    }
    library_.emplace(std::move(library));
    try {
        ResolveEntryPoints();
    } catch (...) {
        UnloadAudioLibrary();
        throw;
    }
}

void lightBASS::ResolveEntryPoints() {
    const DynamicLibrary& library = *library_;
    library.Resolve("BASS_ErrorGetCode", api_.ErrorGetCode);
    library.Resolve("BASS_Init", api_.Init);
    library.Resolve("BASS_Free", api_.Free);
    library.Resolve("BASS_StreamCreateFile", api_.StreamCreateFile);
    library.Resolve("BASS_StreamFree", api_.StreamFree);
    library.Resolve("BASS_StreamPlay", api_.StreamPlay);
    library.Resolve("BASS_Start", api_.Start);
    library.Resolve("BASS_ChannelSetSync", api_.ChannelSetSync);
    library.Resolve("BASS_ChannelRemoveSync", api_.ChannelRemoveSync);
    library.Resolve("BASS_ChannelPause", api_.ChannelPause);
    library.Resolve("BASS_ChannelResume", api_.ChannelResume);
    library.Resolve("BASS_StreamGetLength", api_.StreamGetLength);
    library.Resolve("BASS_ChannelGetPosition", api_.ChannelGetPosition);
    library.Resolve("BASS_ChannelSetPosition", api_.ChannelSetPosition);
    library.Resolve("BASS_ChannelBytes2Seconds", api_.ChannelBytes2Seconds);
    library.Resolve("BASS_StreamGetTags", api_.StreamGetTags);
    library.Resolve("BASS_MusicLoad", api_.MusicLoad);
    library.Resolve("BASS_MusicFree", api_.MusicFree);
    library.Resolve("BASS_MusicGetName", api_.MusicGetName);
    library.Resolve("BASS_MusicGetLength", api_.MusicGetLength);
    library.Resolve("BASS_MusicPlay", api_.MusicPlay);
}

void lightBASS::UnloadAudioLibrary() noexcept {
    // A channel or device can't outlive the code that runs it; freeing the device also drops
    // the channel's end sync.
    FreeChannel();
    FreeAudioDevice();
    library_.reset();
    // Stale addresses must never be called.
    api_ = {};
}

void lightBASS::InitAudioDevice(std::int32_t device, std::uint32_t frequency, std::uint32_t flags,
                                MessageTarget* window) {
    if (deviceReady_) return;
    RequireLibrary();
    setup_ = {device, frequency, flags, window};
    deviceReady_ = api_.Init(device, frequency, flags, window) != 0;
    if (!deviceReady_) RaiseAudioError();
}

void lightBASS::FreeAudioDevice() noexcept {
    if (!deviceReady_) return;
    deviceReady_ = false;
    api_.Free();
}

void lightBASS::OpenAndPlay(const std::string& path, bool asStream) {
    if (channel_ != 0) return;
    if (!deviceReady_) throw EBASSError(AudioErrorMessage(BASS_ERROR_INIT));
    std::optional<std::int32_t> failure = TryOpenAndPlay(path, asStream);
    if (failure == BASS_ERROR_DRIVER) {
        FreeChannel();
        FreeAudioDevice();
        InitAudioDevice(setup_.device, setup_.frequency, setup_.flags, setup_.window);
        failure = TryOpenAndPlay(path, asStream);
    }
    if (failure) throw EBASSError(AudioErrorMessage(*failure));
}

std::optional<std::int32_t> lightBASS::TryOpenAndPlay(const std::string& path, bool asStream) {
    channelIsStream_ = asStream;
    channel_ = asStream ? api_.StreamCreateFile(0, path.c_str(), 0, 0, 0)
                        : api_.MusicLoad(0, path.c_str(), 0, 0, kMusicLoadFlags);
    if (channel_ == 0) return api_.ErrorGetCode();
    channelPaused_ = false;
    endSync_ = api_.ChannelSetSync(channel_, BASS_SYNC_END_MESSAGE, 0, VYN_WM_USER, 0);
    if (endSync_ == 0) {
        // Without its end message the player would stay on the track once it has played out.
        const std::int32_t code = api_.ErrorGetCode();
        FreeChannel();
        return code;
    }
    if (api_.Start() == 0) return api_.ErrorGetCode();
    const bool started =
        asStream ? api_.StreamPlay(channel_, 0, 0) != 0 : api_.MusicPlay(channel_) != 0;
    if (!started) return api_.ErrorGetCode();
    return std::nullopt;
}

void lightBASS::StopAndFree() {
    if (channel_ == 0) return;
    const bool syncRemoved = endSync_ == 0 || api_.ChannelRemoveSync(channel_, endSync_) != 0;
    // The error code must be read before freeing the channel overwrites it.
    const std::int32_t code = syncRemoved ? 0 : api_.ErrorGetCode();
    FreeChannel();
    if (!syncRemoved) throw EBASSError(AudioErrorMessage(code));
}

void lightBASS::FreeChannel() noexcept {
    if (channel_ == 0) return;
    if (channelIsStream_)
        api_.StreamFree(channel_);
    else
        api_.MusicFree(channel_);
    channel_ = 0;
    endSync_ = 0;
}

void lightBASS::TogglePause() {
    if (channel_ == 0) return;
    if (!channelPaused_) {
        channelPaused_ = api_.ChannelPause(channel_) != 0;
        if (!channelPaused_) RaiseAudioError();
    } else {
        channelPaused_ = api_.ChannelResume(channel_) == 0;
        if (channelPaused_) RaiseAudioError();
    }
}

std::int64_t lightBASS::GetChannelLength(std::int64_t& playLength) {
    if (channel_ == 0) return 0;
    std::uint64_t range = 0;
    std::uint64_t bytes = 0;
    if (channelIsStream_) {
        range = bytes = api_.StreamGetLength(channel_);
    } else {
        range = api_.MusicGetLength(channel_, 0);
        bytes = api_.MusicGetLength(channel_, -1);
    }
    playLength = static_cast<std::int64_t>(bytes);
    if (range == kLengthFailed || bytes == kLengthFailed) RaiseAudioError();
    return static_cast<std::int64_t>(range);
}

void lightBASS::RequireLibrary() const {
    if (!library_) throw EBASSError(AudioErrorMessage(BASS_ERROR_INIT));
}

void lightBASS::RaiseAudioError() const {
    RequireLibrary();
    throw EBASSError(AudioErrorMessage(api_.ErrorGetCode()));
}
