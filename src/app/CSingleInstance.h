#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// One running copy per user session. The first copy holds a lock file in
// a folder that only this user can reach (the runtime folder, else one of
// its own) and listens on a local socket beside it; a second copy finds the
// lock taken, asks the first over the socket to bring its window to the
// front (its modal dialog included), and ends.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    // `name` names the lock and the socket ("Servulo2").
    explicit CSingleInstance(const QString& name, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // Takes the lock and starts listening. False when another copy holds it.
    bool Acquire();
    // Releases the lock and stops listening (the destructor does it too).
    void Release();
    bool IsHolder() const { return m_holder; }

    // From a second copy: asks the running copy to come to the front. True
    // when the running copy confirmed.
    bool ActivateRunning(int timeoutMs = 3000) const;

    // What the running copy does when asked: every top-level window marked
    // with the property `name` is restored, raised and activated, then the
    // active modal dialog, if any, on top of it.
    static void BringMarkedWindowsToFront(const char* property);

    // Empty when no folder of this user's alone can be had.
    QString LockPath() const;
    QString SocketPath() const;

signals:
    void ActivationRequested();

private:
    void OnConnection();
    // The folder of the lock and the socket, found on first use.
    QString Folder() const;

    QString m_name;
    mutable QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    bool m_holder = false;
};
