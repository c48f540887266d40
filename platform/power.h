// Keeping the computer awake while Vantrel works: a batch that runs for hours must not be cut
// short by the system going to sleep because nobody touched the mouse.
#pragma once

namespace platform {

// While one exists the system does not sleep on its own (the screen may still turn off, and
// the user can still put the computer to sleep). Created and destroyed on the same thread;
// several may exist at once, and the last one gone lets the system sleep again.
// On Windows through the thread's execution state; elsewhere it does nothing yet.
class KeepAwake {
public:
    KeepAwake();
    ~KeepAwake();
    KeepAwake(const KeepAwake&) = delete;
    KeepAwake& operator=(const KeepAwake&) = delete;
};

}  // namespace platform
