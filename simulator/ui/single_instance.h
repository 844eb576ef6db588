// One simulator window per user: a second start hands its project path to
// the running window over a local socket and ends.
#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QString>
#include <functional>

namespace tft {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString name, QObject* parent = nullptr);

    // True when another instance took `path` (empty: just raise it).
    bool handOver(const QString& path, int timeoutMs = 1000);
    // Starts listening; `onPath` gets each path a later start hands over,
    // from the event loop, after the connection that brought it was read.
    bool listen(std::function<void(const QString&)> onPath);

    static QString defaultName();

private:
    void takeLines(QLocalSocket* socket);

    QString name_;
    QLocalServer server_{this}; // a child, so the open connections are found below this object
    std::function<void(const QString&)> onPath_;
};

} // namespace tft
