// Linux and other systems: sleep is left to the desktop. (logind's sleep inhibitor is reached
// over D-Bus, which the operating-system layer does not use.)
#include "platform/power.h"

namespace platform {

KeepAwake::KeepAwake() = default;
KeepAwake::~KeepAwake() = default;

}  // namespace platform
