#include "ui/single_instance.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QSysInfo>
#include <QThread>

#include "ui/instance_place.h"

namespace ui {
namespace {

constexpr int kTimeoutMs = 3000;
constexpr int kBusyMs = 30000;
// Sent back once the files are taken, so that the other vantrel exits only then.
constexpr char kTaken = 'k';

bool HandOverOnce(const QString& socketPath, const QStringList& files) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(kTimeoutMs))
        return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << files;
    socket.write(message);
    if (!socket.waitForBytesWritten(kTimeoutMs))
        return false;
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(kBusyMs))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kTaken;
}

// The window may be busy for a moment (adding a large folder), or just starting: it is given
// time before another one opens.
bool HandOver(const QString& socketPath, const QStringList& files) {
    QDeadlineTimer deadline(kBusyMs);
    while (!HandOverOnce(socketPath, files)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    return true;
}

}  // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent) : QObject(parent) {
    const InstancePlace place = folder.isEmpty() ? DefaultInstancePlace() : InstancePlaceIn(folder);
    socketPath_ = place.server;
    lockPath_ = place.lock;
    problem_ = place.problem;
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Role SingleInstance::Claim(const QStringList& files) {
    if (!problem_.isEmpty())
        return Role::Primary;  // never a socket in someone else's folder
    // The running window holds the lock for as long as it runs, so a later vantrel knows it is
    // there even when it is too busy to answer at once. A lock left by a window that crashed is
    // recognised (its process is gone) and taken over.
    auto lock = std::make_unique<QLockFile>(lockPath_);
    lock->setStaleLockTime(0);
    // A lock that names this very process on this machine is a crashed window's whose process
    // number came round again (Wine hands out the same small numbers after each restart): the
    // process check would take it for a live window, and every start would wait for it.
    qint64 owner = 0;
    QString host;
    QString program;
    if (lock->getLockInfo(&owner, &host, &program) && owner == QCoreApplication::applicationPid() &&
        host == QSysInfo::machineHostName())
        lock->removeStaleLockFile();
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError)
            return HandOver(socketPath_, files) ? Role::HandedOver : Role::Primary;
        return Role::Primary;  // no lock to be had at all: a window that cannot be reached
    }
    // Whatever socket is there is a crashed window's.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (server_->listen(socketPath_)) {
        connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::Serve);
        lock_ = std::move(lock);
    } else {
        problem_ = QStringLiteral("Files given to vantrel later open another window: ") +
                   server_->errorString();
        server_.reset();
    }
    return Role::Primary;
}

void SingleInstance::Serve() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            QStringList files;
            in >> files;
            if (!in.commitTransaction())
                return;  // the rest is still on its way
            socket->putChar(kTaken);
            socket->flush();
            // Handed on from the event loop, not from inside the socket's own signal: what the
            // window does with the files may run a nested loop, in which the socket, its
            // sender gone, is deleted.
            QMetaObject::invokeMethod(
                this, [this, files] { emit filesReceived(files); }, Qt::QueuedConnection);
        });
    }
}

}  // namespace ui
