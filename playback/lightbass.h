// The binding to the audio engine: the only place that loads, initialises and releases it.
// It holds the library, the output device and exactly one channel (a stream or module music).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/bass.h"
#include "platform/dynamic_library.h"
#include "platform/exceptions.h"

// A failure the engine reported; the message comes from AudioErrorMessage.
class EBASSError : public Exception {
  public:
    using Exception::Exception;
};

// The text for an engine error code; -1 and every code above 42 give "Unknown error".
const char* AudioErrorMessage(std::int32_t code);

// The engine's entry points, resolved by name in this order.
struct BassEntryPoints {
    decltype(&::BASS_GetVersion) GetVersion;
    decltype(&::BASS_ErrorGetCode) ErrorGetCode;
    decltype(&::BASS_Init) Init;
    decltype(&::BASS_Free) Free;
    decltype(&::BASS_StreamCreateFile) StreamCreateFile;
    decltype(&::BASS_StreamFree) StreamFree;
    decltype(&::BASS_StreamPlay) StreamPlay;
    decltype(&::BASS_Start) Start;
    decltype(&::BASS_ChannelSetSync) ChannelSetSync;
    decltype(&::BASS_ChannelRemoveSync) ChannelRemoveSync;
    decltype(&::BASS_ChannelPause) ChannelPause;
    decltype(&::BASS_ChannelResume) ChannelResume;
    decltype(&::BASS_StreamGetLength) StreamGetLength;
    decltype(&::BASS_ChannelGetPosition) ChannelGetPosition;
    decltype(&::BASS_ChannelSetPosition) ChannelSetPosition;
    decltype(&::BASS_ChannelBytes2Seconds) ChannelBytes2Seconds;
    decltype(&::BASS_StreamGetTags) StreamGetTags;
    decltype(&::BASS_MusicLoad) MusicLoad;
    decltype(&::BASS_MusicFree) MusicFree;
    decltype(&::BASS_MusicGetName) MusicGetName;
    decltype(&::BASS_MusicGetLength) MusicGetLength;
    decltype(&::BASS_MusicPlay) MusicPlay;
};

class lightBASS {
  public:
    // Where the player finds the engine: libbass.so beside its own executable.
    static std::string DefaultLibraryPath();

    explicit lightBASS(std::string libraryPath = DefaultLibraryPath());
    // Releases the channel, the device and the library if still held; never throws.
    ~lightBASS();
    lightBASS(const lightBASS&) = delete;
    lightBASS& operator=(const lightBASS&) = delete;

    // Loads the library and resolves the entry points unless already loaded. Throws EOSError
    // when the file or an entry point is missing and EBASSError for any version but 1.8;
    // after a failure nothing stays loaded.
    void LoadAudioLibrary();
    // Frees a channel or device still held first: neither can outlive the library.
    void UnloadAudioLibrary() noexcept;

    // Needs the library. Does nothing while the device is ready.
    void InitAudioDevice(std::int32_t device, std::uint32_t frequency, std::uint32_t flags,
                         MessageTarget* window);
    void FreeAudioDevice() noexcept;

    // Needs the device (else "BASS_Init has not been successfully called"). Opens and starts
    // `path`, with an end-of-track message to the window of InitAudioDevice; does nothing while a
    // channel is open. A failing open (the end message refused included) leaves no channel; a
    // failing start leaves the channel open for StopAndFree.
    // When the engine reports the sound driver lost (the sound server went away since the
    // device was set up), the device is set up again and the track tried once more; if the
    // server is still away, the device stays released so that the next play sets it up anew.
    void OpenAndPlay(const std::string& path, bool asStream);
    // Always ends with no channel; a failure to remove the end sync is raised afterwards.
    void StopAndFree();
    void TogglePause();

    // The seek range (bytes for a stream, orders for module music) and, in playLength, the
    // length in bytes. 0 without a channel, playLength then untouched.
    std::int64_t GetChannelLength(std::int64_t& playLength);

    [[noreturn]] void RaiseAudioError() const;

    bool LibraryLoaded() const { return library_.has_value(); }
    bool DeviceReady() const { return deviceReady_; }
    std::uint32_t Channel() const { return channel_; }
    bool ChannelIsStream() const { return channelIsStream_; }
    bool ChannelPaused() const { return channelPaused_; }

    // The entry points; call them only while LibraryLoaded().
    const BassEntryPoints& Api() const { return api_; }

  private:
    struct DeviceSetup {
        std::int32_t device;
        std::uint32_t frequency;
        std::uint32_t flags;
        MessageTarget* window;
    };

    void ResolveEntryPoints();
    void RequireLibrary() const;
    void FreeChannel() noexcept;
    // One attempt; the engine's error code when it failed.
    std::optional<std::int32_t> TryOpenAndPlay(const std::string& path, bool asStream);

    std::string libraryPath_;
    std::optional<DynamicLibrary> library_;
    BassEntryPoints api_{};
    bool deviceReady_ = false;
    DeviceSetup setup_{};
    std::uint32_t channel_ = 0;
    std::uint32_t endSync_ = 0;
    bool channelIsStream_ = false;
    bool channelPaused_ = false;
};
