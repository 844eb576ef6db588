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
    onPath_ = std::move(onPath);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { takeLines(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

void SingleInstance::takeLines(QLocalSocket* socket) {
    // The paths are taken off the socket first and handled once this slot has
    // returned: handling may open a message box, whose event loop can see the
    // socket disconnect and delete it.
    while (socket->canReadLine()) {
        const QString path = QString::fromUtf8(socket->readLine()).trimmed();
        QMetaObject::invokeMethod(
            this,
            [this, path] {
                if (onPath_)
                    onPath_(path);
            },
            Qt::QueuedConnection);
    }
}

} // namespace tft
