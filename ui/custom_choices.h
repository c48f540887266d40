// The eight choices of the "Custom Settings" profile as the settings dialog offers them: the
// list's control id, the choice (settings key, entries and options, from the engine's table),
// the list's place in the dialog and what the Default button selects.
#pragma once

#include <array>

#include "engine/profiles.h"
#include "ui/dialog_units.h"

namespace ui {

struct CustomChoice {
    int id;
    const engine::CustomKey& choice;
    DluRect rect;
    int defaultIndex;  // what the Default button selects
};

inline constexpr int kCustomChoiceCount = 8;

// In the order the dialog reads and writes the keys: Resolution, FrameRate, Encoder, BitRate,
// SampleRate, Channel, AudioEncoder, AudioBitRate.
const std::array<CustomChoice, kCustomChoiceCount>& CustomChoices();

// The entry a list shows for the stored index `value`: the index itself when the list has
// it. Otherwise a list of one entry (the encoders) shows that entry, which the encoder's
// command uses whatever is stored; a longer list shows none (-1).
int ShownChoice(const engine::CustomKey& key, int value);

}  // namespace ui
