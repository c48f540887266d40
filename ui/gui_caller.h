// Runs calls from other threads on the thread of a window, one at a time, each caller waiting
// until its call has run there: what a synchronous window message does. Once closed, calls
// return at once without running, so a worker never touches a window that is going away.
#pragma once

#include <functional>
#include <memory>

class QObject;

namespace ui {

class GuiCaller {
public:
    // Calls run on the thread of `context` while it serves its events. `context` must outlive
    // this object or Close must be called before it goes.
    explicit GuiCaller(QObject* context);
    // Closes.
    ~GuiCaller();
    GuiCaller(const GuiCaller&) = delete;
    GuiCaller& operator=(const GuiCaller&) = delete;

    // Runs `call` on the context's thread and returns true when it has run. On that thread
    // itself it runs at once. False, without running it, once Close has been called.
    bool Call(const std::function<void()>& call);

    // From the context's thread: no call runs any more, and callers that wait return false.
    void Close();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    QObject* context_;
};

}  // namespace ui
