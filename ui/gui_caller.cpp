#include "ui/gui_caller.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <mutex>

namespace ui {

struct GuiCaller::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false;
};

namespace {

// One call on its way: set by the context's thread, waited for by the caller.
struct Pending {
    bool done = false;
    bool ran = false;
};

}  // namespace

GuiCaller::GuiCaller(QObject* context) : shared_(std::make_shared<Shared>()), context_(context) {}

GuiCaller::~GuiCaller() {
    Close();
}

bool GuiCaller::Call(const std::function<void()>& call) {
    if (QThread::currentThread() == context_->thread()) {
        {
            std::lock_guard<std::mutex> lock(shared_->mutex);
            if (shared_->closed)
                return false;
        }
        call();
        return true;
    }

    auto pending = std::make_shared<Pending>();
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (shared_->closed)
            return false;
    }
    // The copies keep everything the queued call touches alive however late it is delivered;
    // once closed it runs nothing, so `call`'s references to our stack are never used then.
    std::shared_ptr<Shared> shared = shared_;
    QMetaObject::invokeMethod(
        context_,
        [shared, pending, call] {
            {
                std::lock_guard<std::mutex> lock(shared->mutex);
                if (shared->closed)
                    return;
            }
            // Close runs on this same thread, so it cannot come between the check and the call.
            call();
            std::lock_guard<std::mutex> lock(shared->mutex);
            pending->done = true;
            pending->ran = true;
            shared->changed.notify_all();
        },
        Qt::QueuedConnection);

    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->changed.wait(lock, [&] { return pending->done || shared_->closed; });
    return pending->ran;
}

void GuiCaller::Close() {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->closed = true;
    shared_->changed.notify_all();
}

}  // namespace ui
