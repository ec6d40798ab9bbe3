#include "app/CSingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QWidget>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kRequest[] = "activate\n";
constexpr char kReply[] = "ok\n";

// Whether only this user can reach `path`: a folder itself (not a link to
// one), owned by this user, closed to group and others.
bool IsPrivateFolder(const QString& path) {
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

// `path` as a folder of this user's alone, made when missing; empty when
// the name is taken by anything else.
QString PrivateFolder(const QString& path) {
    if (path.isEmpty()) return {};
    ::mkdir(QFile::encodeName(path).constData(), 0700); // an existing one is checked below
    return IsPrivateFolder(path) ? path : QString();
}

// The lock and its socket must be out of other users' reach: one who could
// create the name first would keep this user's copy from starting, or
// answer for it. The session's runtime folder; without one, a folder of
// this user's in the temporary folder; when that name is taken, one in the
// user's cache folder.
QString RuntimeFolder() {
    QString folder =
        PrivateFolder(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    if (folder.isEmpty())
        folder = PrivateFolder(QDir::tempPath() + QStringLiteral("/plotcare-%1").arg(geteuid()));
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (folder.isEmpty() && !cache.isEmpty() && QDir().mkpath(cache))
        folder = PrivateFolder(cache + QStringLiteral("/plotcare"));
    return folder;
}

} // namespace

CSingleInstance::CSingleInstance(const QString& name, QObject* parent)
    : QObject(parent), m_name(name) {}

CSingleInstance::~CSingleInstance() {
    Release();
}

QString CSingleInstance::Folder() const {
    if (m_folder.isEmpty()) m_folder = RuntimeFolder();
    return m_folder;
}

QString CSingleInstance::LockPath() const {
    const QString folder = Folder();
    return folder.isEmpty() ? QString()
                            : folder + QLatin1Char('/') + m_name + QStringLiteral(".lock");
}

QString CSingleInstance::SocketPath() const {
    const QString folder = Folder();
    return folder.isEmpty() ? QString()
                            : folder + QLatin1Char('/') + m_name + QStringLiteral(".socket");
}

bool CSingleInstance::Acquire() {
    if (m_holder) return true;
    if (Folder().isEmpty()) {
        // Nowhere to keep a lock that only this user controls: run without
        // one rather than let another user decide whether this copy runs.
        qWarning("No private folder for the single-instance lock: another copy may run as well.");
        m_holder = true;
        return true;
    }
    m_lock = std::make_unique<QLockFile>(LockPath());
    // A lock left by a copy that died is taken over at once.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    m_holder = true;
    // The socket of a copy that died is in the way; the lock proves it is.
    QLocalServer::removeServer(SocketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->listen(SocketPath());
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
    return true;
}

void CSingleInstance::Release() {
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
    m_holder = false;
}

void CSingleInstance::OnConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // Only a complete, known request is acted on; anything else from
            // the socket is dropped.
            if (socket->bytesAvailable() > 64) {
                socket->abort();
                return;
            }
            if (!socket->canReadLine()) return;
            const QByteArray line = socket->readLine(64);
            if (line == kRequest) {
                emit ActivationRequested();
                socket->write(kReply);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

bool CSingleInstance::ActivateRunning(int timeoutMs) const {
    if (SocketPath().isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    }
    return socket.readLine(16) == kReply;
}

void CSingleInstance::BringMarkedWindowsToFront(const char* property) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->property(property).isValid()) continue;
        if (window->isMinimized()) window->showNormal();
        window->raise();
        window->activateWindow();
        // The window's last active pop-up: the modal dialog it waits on.
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != window) {
            if (modal->isMinimized()) modal->showNormal();
            modal->raise();
            modal->activateWindow();
        }
    }
}
