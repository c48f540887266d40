// How long a running batch or job still needs, from how long it has run and how far it has
// come; the window and vantrel-cli show it the same way.
#pragma once

#include <optional>
#include <string>

namespace engine {

// The seconds still needed after `elapsed` seconds at `percent` done: the rate so far carried
// on. Nothing before 1 % (too early to tell) or after 100.
std::optional<double> SecondsLeft(double elapsed, int percent);

// "M:SS", or "H:MM:SS" from an hour on, of whole seconds rounded up.
std::string DurationText(double seconds);

}  // namespace engine
