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

// What the dialog loads when a key is absent; for the one-entry encoder lists this is an
// index they lack, so they open without a selection.
inline constexpr char kCustomChoiceFallback[] = "1";

}  // namespace ui
