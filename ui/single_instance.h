// One window per user session. The first vantrel holds a lock file and listens on a local
// socket (a named pipe on Windows) at the session's place (ui/instance_place.h); a later one
// hands its files to it (or, without files, asks it to come to the front) and exits. A lock
// and socket left behind by a window that crashed are taken over.
#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLockFile;

namespace ui {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // `folder`: where the lock (and on Linux the socket) lives; by default the session's own
    // place. When that cannot be had there is no one-window service and Problem() says why.
    explicit SingleInstance(const QString& folder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Role {
        Primary,    // this process runs the window and now listens
        HandedOver  // a running window took the files
    };

    // Hands `files` (absolute paths) to a running window if there is one, else starts
    // listening. Primary also when the socket cannot be set up at all: a window that cannot
    // be reached is better than none.
    Role Claim(const QStringList& files);

    QString SocketPath() const { return socketPath_; }

    // Why there is no one-window service (no place for it, or the server could not listen),
    // or "".
    QString Problem() const { return problem_; }

signals:
    // Another vantrel handed these files over (possibly none: it only wants the window shown).
    void filesReceived(const QStringList& files);

private:
    void Serve();

    QString socketPath_;
    QString lockPath_;
    QString problem_;
    std::unique_ptr<QLockFile> lock_;  // held by the running window while it listens
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace ui
