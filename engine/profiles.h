// Every output profile in one place: the fixed profiles with their list entry and encoder
// options, and the choices of "Custom Settings" with their label and option. The command
// builder, the window's lists, vantrel-cli and the tests all read these tables, so a new profile
// or choice is one new row.
#pragma once

#include <cstddef>
#include <iterator>

#include "settings/settings_file.h"

namespace engine {

// One entry of the output profile list. `options` are blank-separated encoder options in the
// legacy spelling that the adapter translates; nullptr for "Custom Settings", whose options
// come from the settings file.
struct Profile {
    const char* entry;
    const char* options;
};

// The output profile list, index 0 first. "-fit WxH" sizes the picture to fit inside WxH with
// the source's aspect kept and even sides; "-s WxH" sets the size as it is.
inline constexpr Profile kProfiles[] = {
    {"Custom Settings", nullptr},
    {"240x160,15fps,256kbps.mp3,stereo,11025hz",
     "-acodec mp3 -ac 2 -ar 11025 -ab 64 -s 240x160 -r 15 -b 256 -f flv"},
    {"240x160,15fps,256kbps,mp3,mono,11025hz",
     "-acodec mp3 -ac 1 -ar 11025 -ab 64 -s 240x160 -r 15 -b 256 -f flv"},
    {"320x240,20fps,256kbps,mp3,stereo,22050hz",
     "-acodec mp3 -ac 2 -ar 22050 -ab 96 -s 320x240 -r 20 -b 256 -f flv"},
    {"320x240,20fps,256kbps,mp3,mono,22050hz",
     "-acodec mp3 -ac 1 -ar 22050 -ab 96 -s 320x240 -r 20 -b 256 -f flv"},
    {"480x320,25fps,512kbps,mp3,stereo,44100hz",
     "-acodec mp3 -ac 2 -ar 44100 -ab 96 -s 480x320 -r 25 -b 512 -f flv"},
    {"480x320,25fps,512kbps,mp3,mono,44100hz",
     "-acodec mp3 -ac 1 -ar 44100 -ab 96 -s 480x320 -r 25 -b 512 -f flv"},
    // H.264 and AAC, what today's FLV players and ingest servers accept; a keyframe every
    // 2 seconds (-g is in frames).
    {"640x360,25fps,1000kbps,h264,aac,stereo,44100hz",
     "-acodec aac -ac 2 -ar 44100 -ab 128 -vcodec libx264 -vprofile main -pix_fmt yuv420p -g 50 "
     "-fit 640x360 -r 25 -b 1000 -f flv"},
    {"1280x720,30fps,2500kbps,h264,aac,stereo,44100hz",
     "-acodec aac -ac 2 -ar 44100 -ab 128 -vcodec libx264 -vprofile main -pix_fmt yuv420p -g 60 "
     "-fit 1280x720 -r 30 -b 2500 -f flv"},
};

inline constexpr int kProfileCount = static_cast<int>(std::size(kProfiles));
inline constexpr int kCustomProfile = 0;

// A profile list without a valid selection converts with this profile.
inline constexpr int kFallbackProfile = 6;
static_assert(kFallbackProfile > kCustomProfile && kFallbackProfile < kProfileCount);

// The fixed profile `index` stands for: itself for 1 to kProfileCount - 1, else the fall-back.
constexpr const Profile& FixedProfile(int index) {
    return index > kCustomProfile && index < kProfileCount ? kProfiles[index]
                                                           : kProfiles[kFallbackProfile];
}

// One entry of a custom choice's list: its label in the settings dialog and the encoder
// options it adds ("" adds none).
struct Choice {
    const char* label;
    const char* option;
};

// One custom choice: the settings key holding the chosen index, the text the command builder
// reads when the key is absent, its entries, index 0 first, and the entry that every other
// value (out of range, negative, not a number) stands for.
struct CustomKey {
    const char* key;
    const char* commandDefault;
    const Choice* choices;
    int count;
    int other;

    constexpr const Choice& For(int value) const {
        return value >= 0 && value < count ? choices[value] : choices[other];
    }
    constexpr const Choice* begin() const { return choices; }
    constexpr const Choice* end() const { return choices + count; }
};

namespace choices {

inline constexpr Choice kResolution[] = {
    {"240x160", "-s 240x160"}, {"320x240", "-s 320x240"}, {"480x272", "-s 480x272"},
    {"480x320", "-s 480x320"}, {"480x368", "-s 480x368"}, {"512x384", "-s 512x384"},
    {"640x480", "-s 640x480"},
};
inline constexpr Choice kFrameRate[] = {
    {"Keep origial frame rate", ""},  // no -r: the source's rate
    {"12 fps", "-r 12"},
    {"15 fps", "-r 15"},
    {"20 fps", "-r 20"},
    {"23.97 fps", "-r 23.97"},
    {"24 fps", "-r 24"},
    {"25 fps", "-r 25"},
    {"29.97 fps", "-r 29.97"},
    {"30 fps", "-r 30"},
};
inline constexpr Choice kEncoder[] = {{"FLV Video Encoder", "-f flv"}};
inline constexpr Choice kBitRate[] = {
    {"256 kbps", "-b 256"},   {"384 kbps", "-b 384"},
    {"512 kbps", "-b 512"},   {"640 kbps", "-b 640"},
    {"768 kbps", "-b 768"},   {"900 kbps ", "-b 900"},  // the label's trailing blank is kept
    {"1500 kbps", "-b 1500"},
};
inline constexpr Choice kSampleRate[] = {
    {"11025 Hz", "-ar 11025"}, {"22050 Hz", "-ar 22050"}, {"44100 Hz", "-ar 44100"}};
inline constexpr Choice kChannel[] = {{"mono (1 channel)", "-ac 1"},
                                      {"stereo(2 channels)", "-ac 2"}};
inline constexpr Choice kAudioEncoder[] = {{"Mp3 Audio Encoder", "-acodec mp3"}};
inline constexpr Choice kAudioBitRate[] = {
    {"64 kbps", "-ab 64"},   {"96 kbps", "-ab 96"},   {"128 kbps", "-ab 128"},
    {"160 kbps", "-ab 160"}, {"192 kbps", "-ab 192"}, {"256 kbps", "-ab 256"},
};

template <std::size_t N>
constexpr CustomKey Key(const char* key, const char* commandDefault, const Choice (&list)[N],
                        int other) {
    return {key, commandDefault, list, static_cast<int>(N), other};
}

}  // namespace choices

inline constexpr CustomKey kResolution =
    choices::Key(settings::kResolution, "1", choices::kResolution, 0);
inline constexpr CustomKey kFrameRate =
    choices::Key(settings::kFrameRate, "1", choices::kFrameRate, 3);
inline constexpr CustomKey kEncoder = choices::Key(settings::kEncoder, "0", choices::kEncoder, 0);
inline constexpr CustomKey kBitRate = choices::Key(settings::kBitRate, "1", choices::kBitRate, 0);
inline constexpr CustomKey kSampleRate =
    choices::Key(settings::kSampleRate, "1", choices::kSampleRate, 1);
inline constexpr CustomKey kChannel = choices::Key(settings::kChannel, "1", choices::kChannel, 1);
inline constexpr CustomKey kAudioEncoder =
    choices::Key(settings::kAudioEncoder, "0", choices::kAudioEncoder, 0);
inline constexpr CustomKey kAudioBitRate =
    choices::Key(settings::kAudioBitRate, "1", choices::kAudioBitRate, 0);

// The order in which the custom command reads the keys and appends their options.
inline constexpr const CustomKey* kCustomCommandOrder[] = {
    &kAudioEncoder, &kChannel,   &kSampleRate, &kAudioBitRate,
    &kResolution,   &kFrameRate, &kBitRate,    &kEncoder,
};

}  // namespace engine
