// CMainFrame: the IDE's main window. Commands as menu and tool-bar actions,
// the seven panes as dock widgets, pages and C/H files as tabbed documents,
// the project workspace, and the worker that runs compile jobs.
#pragma once

#include "compiler/device_catalogue.h"
#include "open_project.h"
#include "project_job.h"
#include "settings.h"
#include "text_editor.h"

#include <QHash>
#include <QMainWindow>
#include <QTranslator>
#include <functional>
#include <memory>
#include <mutex>

class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QTreeWidgetItem;

namespace tft::ide {

class COutputPane;
class CPropertiesController;
class CPropertiesPane;
class CSolutionPane;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `store` holds the settings (the user's profile in the program, a file in tests).
    CMainFrame(const QString& appDir, QSettings* store, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Open project (command line, dialog, recent list, drop). On failure the
    // recent entry 1 goes and no project is open.
    bool openProject(const QString& path);
    void closeProject();
    // Creates a project in <folder>/<name> for a model and opens it.
    bool createProject(const QString& folder, const QString& name, int deviceType);

    void runCommand(int id);
    // Compile project / page, run simulator, download: queued on the worker.
    bool startBuild(int id);
    bool newPage();
    void addFiles(const QStringList& files);
    bool removeEntry(QTreeWidgetItem* item);
    bool renameEntry(QTreeWidgetItem* item, const QString& newName);
    bool saveAll();
    bool backupTo(const QString& parent);
    QMdiSubWindow* openDocument(const QString& file);
    // Opens the first project file of a drop; other files do nothing.
    bool openDropped(const QList<QUrl>& urls);
    void setLanguage(int id);
    void restoreDefaultLayout();
    // Writes the settings, the recent list and the layout.
    void writeSettings();

    QAction* action(int id) const { return actions_.value(id); }
    QDockWidget* pane(int id) const { return panes_.value(id); }
    QMenu* menu(int stringId) const { return menus_.value(stringId); }
    QToolBar* bar(const QString& name) const;
    CSolutionPane* solutionPane() const { return solution_; }
    COutputPane* outputPane() const { return output_; }
    CPropertiesController* properties() const { return properties_; }
    QMdiArea* mdiArea() const { return mdi_; }
    ProjectWorkspace& workspace() { return workspace_; }
    const IdeSettings& settings() const { return settings_; }
    const RecentProjects& recent() const { return recent_; }
    ProjectJobWorker& worker() { return *worker_; }
    QString statusText() const;

    // Messages for the user; a message box unless replaced (tests).
    std::function<void(const QString&)> showMessage;
    // Starts a program of the application folder; replaced by tests.
    std::function<bool(const QString& name, const QStringList& args)> launch;

signals:
    void compilerFinished(bool succeeded);
    void jobFinished(quint32 bits, bool succeeded);
    void projectChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createBars();
    void createPanes();
    void retranslate();
    void updateRecentMenu();
    void updateCommandStates();
    void afterCompile(bool succeeded);
    void startSimulator();
    void treeCommand(int id, QTreeWidgetItem* item);
    void openTreeItem(QTreeWidgetItem* item);
    void openTool(int id);
    void locateLine(const QString& line);
    QString activePageName() const;
    void report(const QString& message);
    void reloadCatalogue();
    void projectPropertyEdited(const QString& name);
    void loadLanguage();

    QString appDir_;
    QSettings* store_;
    IdeSettings settings_;
    RecentProjects recent_;
    DeviceCatalogue catalogue_;
    ProjectWorkspace workspace_;
    SyntaxStyle syntax_;
    std::unique_ptr<ProjectJobWorker> worker_;
    // What the worker needs of the project for the packs, set per build.
    std::mutex packsMutex_;
    std::uint32_t packMask_ = 0;
    std::string packBase_;

    QHash<int, QAction*> actions_;
    QHash<int, QMenu*> menus_;
    QHash<int, QDockWidget*> panes_;
    QList<QToolBar*> bars_;
    QList<QAction*> recentActions_;
    QMdiArea* mdi_ = nullptr;
    CSolutionPane* solution_ = nullptr;
    COutputPane* output_ = nullptr;
    CPropertiesController* properties_ = nullptr;
    QLabel* status_ = nullptr;
    QTranslator qtTexts_; // Qt's own dialog texts in the chosen language
    QByteArray defaultLayout_;
    bool settingsWritten_ = false;
};

} // namespace tft::ide
