#include "ui/custom_choices.h"

#include "settings/settings_file.h"

namespace ui {

const std::array<CustomChoice, kCustomChoiceCount>& CustomChoices() {
    static const std::array<CustomChoice, kCustomChoiceCount> choices = {{
        {1014,
         settings::kResolution,
         {65, 24, 84, 80},
         {"240x160", "320x240", "480x272", "480x320", "480x368", "512x384", "640x480"},
         1},
        {1015,
         settings::kFrameRate,
         {205, 24, 84, 99},
         {"Keep origial frame rate", "12 fps", "15 fps", "20 fps", "23.97 fps", "24 fps", "25 fps",
          "29.97 fps", "30 fps"},
         1},
        {1016, settings::kEncoder, {65, 50, 84, 30}, {"FLV Video Encoder"}, 0},
        {1017,
         settings::kBitRate,
         {205, 50, 84, 81},
         // "900 kbps " keeps its trailing blank.
         {"256 kbps", "384 kbps", "512 kbps", "640 kbps", "768 kbps", "900 kbps ", "1500 kbps"},
         1},
        {1018, settings::kSampleRate, {65, 101, 84, 81}, {"11025 Hz", "22050 Hz", "44100 Hz"}, 1},
        {1020,
         settings::kChannel,
         {205, 101, 84, 81},
         {"mono (1 channel)", "stereo(2 channels)"},
         1},
        {1019, settings::kAudioEncoder, {65, 125, 84, 81}, {"Mp3 Audio Encoder"}, 0},
        {1021,
         settings::kAudioBitRate,
         {205, 125, 84, 81},
         {"64 kbps", "96 kbps", "128 kbps", "160 kbps", "192 kbps", "256 kbps"},
         1},
    }};
    return choices;
}

}  // namespace ui
