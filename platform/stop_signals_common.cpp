#include "platform/stop_signals_common.h"

#include <mutex>

namespace platform::stop_signals {
namespace {

std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}

// Guarded by Lock(); never destroyed, since a request may come while the program ends.
struct Callee {
    const void* owner = nullptr;
    std::function<void()> onStop;
};
Callee& Current() {
    static Callee* callee = new Callee;
    return *callee;
}

}  // namespace

void SetCallee(const void* owner, std::function<void()> onStop) {
    const std::lock_guard<std::mutex> hold(Lock());
    Current() = Callee{owner, std::move(onStop)};
}

void ClearCallee(const void* owner) {
    const std::lock_guard<std::mutex> hold(Lock());
    if (Current().owner == owner)
        Current() = Callee{};
}

void NotifyStopWatch() {
    const std::lock_guard<std::mutex> hold(Lock());
    if (Current().onStop)
        Current().onStop();
}

}  // namespace platform::stop_signals
