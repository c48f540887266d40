#include "ui/custom_choices.h"

namespace ui {

const std::array<CustomChoice, kCustomChoiceCount>& CustomChoices() {
    static const std::array<CustomChoice, kCustomChoiceCount> choices = {{
        {1014, engine::kResolution, {65, 24, 84, 80}, 1},
        {1015, engine::kFrameRate, {205, 24, 84, 99}, 1},
        {1016, engine::kEncoder, {65, 50, 84, 30}, 0},
        {1017, engine::kBitRate, {205, 50, 84, 81}, 1},
        {1018, engine::kSampleRate, {65, 101, 84, 81}, 1},
        {1020, engine::kChannel, {205, 101, 84, 81}, 1},
        {1019, engine::kAudioEncoder, {65, 125, 84, 81}, 0},
        {1021, engine::kAudioBitRate, {205, 125, 84, 81}, 1},
    }};
    return choices;
}

int ShownChoice(const engine::CustomKey& key, int value) {
    if (value >= 0 && value < key.count)
        return value;
    return key.count == 1 ? 0 : -1;
}

}  // namespace ui
