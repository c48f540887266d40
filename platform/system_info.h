// Facts about the machine Vantrel runs on.
#pragma once

namespace platform {

// The number of processors online, at least 1.
int OnlineCores();

}  // namespace platform
