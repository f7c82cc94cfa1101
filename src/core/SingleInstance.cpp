#include "core/SingleInstance.h"

#include "core/StartupHooks.h"

#include <QApplication>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QWidget>

namespace core {

namespace {
constexpr int kConnectTimeoutMs = 2000;
const QByteArray kRaiseRequest = "raise\n";

void raiseTopLevelWindows() {
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (!w->isVisible())
            continue;
        if (w->isMinimized())
            w->showNormal();
        w->raise();
        w->activateWindow();
    }
}
} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent), folder_(folder.isEmpty() ? defaultFolder() : folder) {
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

SingleInstance::~SingleInstance() { release(); }

QString SingleInstance::defaultFolder() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        dir = QDir::tempPath();
    return dir;
}

QString SingleInstance::lockFilePath() const { return folder_ + QStringLiteral("/orvalis.lock"); }
QString SingleInstance::socketPath() const { return folder_ + QStringLiteral("/orvalis.sock"); }

bool SingleInstance::isLocked() const { return lock_ && lock_->isLocked(); }

bool SingleInstance::tryLock() {
    if (isLocked())
        return true;
    QDir().mkpath(folder_);
    lock_ = std::make_unique<QLockFile>(lockFilePath());
    // A lock is stale only when its process is gone, never because it is old: the first copy
    // may run for days.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    // A socket left by a copy that crashed would block listen(); we hold the lock, so it is ours.
    QLocalServer::removeServer(socketPath());
    server_.listen(socketPath());
    return true;
}

void SingleInstance::release() {
    if (server_.isListening())
        server_.close();
    if (lock_) {
        lock_->unlock();
        lock_.reset();
    }
}

bool SingleInstance::activateRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(kRaiseRequest);
    const bool sent = socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kConnectTimeoutMs);
    return sent;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket *socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readRequest = [this, socket] {
            if (socket->readAll().contains(kRaiseRequest.trimmed()))
                emit activationRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        if (socket->bytesAvailable() > 0)
            readRequest();
    }
}

SingleInstance &singleInstance() {
    static SingleInstance *instance = [] {
        auto *s = new SingleInstance;
        QObject::connect(s, &SingleInstance::activationRequested, [] {
            try {
                if (hooks().raiseWindows)
                    hooks().raiseWindows();
                else
                    raiseTopLevelWindows();
            } catch (...) {
                // Raising a window is a courtesy to the second copy; never let it stop this one.
            }
        });
        // Give the lock and the socket up while the application still exists.
        qAddPostRoutine([] { singleInstance().release(); });
        return s;
    }();
    return *instance;
}

} // namespace core
