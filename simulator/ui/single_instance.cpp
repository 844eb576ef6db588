#include "single_instance.h"

#include <QLocalSocket>
#include <unistd.h>

namespace tft {

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

QString SingleInstance::defaultName() {
    return QStringLiteral("dunmere-%1").arg(::getuid());
}

bool SingleInstance::handOver(const QString& path, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(path.toUtf8() + '\n');
    socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen(std::function<void(const QString&)> onPath) {
    QLocalServer::removeServer(name_); // a socket left by a crashed instance
    if (!server_.listen(name_))
        return false;
    connect(&server_, &QLocalServer::newConnection, this, [this, onPath] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, socket, [socket, onPath] {
                while (socket->canReadLine())
                    onPath(QString::fromUtf8(socket->readLine()).trimmed());
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

} // namespace tft
