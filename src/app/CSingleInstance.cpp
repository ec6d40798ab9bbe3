#include "app/CSingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QWidget>

namespace {

constexpr char kRequest[] = "activate\n";
constexpr char kReply[] = "ok\n";

QString RuntimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder;
}

} // namespace

CSingleInstance::CSingleInstance(const QString& name, QObject* parent)
    : QObject(parent), m_name(name) {}

CSingleInstance::~CSingleInstance() {
    Release();
}

QString CSingleInstance::LockPath() const {
    return RuntimeFolder() + QLatin1Char('/') + m_name + QStringLiteral(".lock");
}

QString CSingleInstance::SocketPath() const {
    return RuntimeFolder() + QLatin1Char('/') + m_name + QStringLiteral(".socket");
}

bool CSingleInstance::Acquire() {
    if (m_holder) return true;
    QDir().mkpath(RuntimeFolder());
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
