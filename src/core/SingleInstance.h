#pragma once
// One running copy per user: a lock file says a copy runs, and a local socket beside it lets a
// second copy ask the running one to raise its windows before the second copy ends.
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <memory>

class QLockFile;

namespace core {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `folder` holds the lock file and the socket; empty means the user's run-time folder.
    explicit SingleInstance(const QString &folder = {}, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock for this copy and starts listening for raise requests. False when another
    // copy holds the lock. Calling it again while holding the lock is harmless.
    bool tryLock();
    bool isLocked() const;
    // Gives the lock up (the copy ends, or a test is done with it).
    void release();

    // Asks the copy that holds the lock to raise its windows. True when the request was sent.
    bool activateRunningCopy();

    QString lockFilePath() const;
    QString socketPath() const;

    static QString defaultFolder();

signals:
    void activationRequested();

private:
    void onNewConnection();

    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

// The copy's own instance, used by Main; raise requests go to hooks().raiseWindows.
SingleInstance &singleInstance();

} // namespace core
