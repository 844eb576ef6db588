// One simulator window per user: a second start hands its project path to
// the running window over a local socket and ends.
#pragma once

#include <QLocalServer>
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
    // Starts listening; `onPath` gets each path a later start hands over.
    bool listen(std::function<void(const QString&)> onPath);

    static QString defaultName();

private:
    QString name_;
    QLocalServer server_;
};

} // namespace tft
