// The project a map window is checked against: loaded and checked off the
// interface thread, so large projects and maps never freeze the window, and
// remembered per map in the user's settings (never in the .mbm file).
#pragma once

#include "modbus/project_check.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

namespace tessary {

// Runs `work` on the global thread pool and `done` with its result on the
// thread of `context` — unless `context` is gone by then.
template <typename Result>
void runOffThread(QObject* context, std::function<Result()> work, std::function<void(Result)> done);

// A map with this many rows or more is checked off the interface thread.
constexpr std::size_t kBackgroundCheckRows = 2000;

// Reads a project into an index; the error text when it does not load.
struct LoadedProject {
    std::shared_ptr<const ProjectIndex> index;
    QString error;
};
LoadedProject loadProject(const QString& path);
// The device catalogue projects are checked with: the application folder's
// DeviceInfo.xml unless another file is given (tests run outside that folder).
void setCatalogueFile(const QString& file);

// Per-user memory of which project belongs to which map file.
QString rememberedProject(const QString& mapPath);
void rememberProject(const QString& mapPath, const QString& projectPath);

} // namespace tessary

#include "project_link_impl.h"
