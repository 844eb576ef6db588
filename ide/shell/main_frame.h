// CMainFrame: the IDE's main window. Commands as menu and tool-bar actions,
// the seven panes as dock widgets, pages and C/H files as tabbed documents,
// the project workspace, and the worker that runs compile jobs.
#pragma once

#include "compiler/device_catalogue.h"
#include "find_manager.h"
#include "open_project.h"
#include "project_job.h"
#include "settings.h"
#include "text_editor.h"

#include <QHash>
#include <QMainWindow>
#include <QMessageBox>
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

class COrvaneView;
class COutputPane;
class CPropertiesController;
class CPropertiesPane;
class CPageFrame;
class CSolutionPane;
class CResourcePane;
class CPictureBrowser;
class CFindPane;
class CFindCombo;
class DeviceConsole;
class DeviceJobs;
class DeviceToolBar;
class CResouceDownloader;
class CResourceUpdateDlg;
struct DownloadRequest;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `store` holds the settings (the user's profile in the program, a file in tests).
    CMainFrame(const QString& appDir, QSettings* store, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Open project (command line, dialog, recent list, drop). On failure the
    // recent entry 1 goes and no project is open.
    bool openProject(const QString& path);
    // False when the user kept a modified page open.
    bool closeProject();
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
    CResourcePane* resourcePane() const { return resources_; }
    CPictureBrowser* pictureBrowser() const { return pictures_; }
    CFindPane* findPane() const { return findPane_; }
    CFindCombo* findCombo() const { return findCombo_; }
    // Find (32949): the options, then the results in the find pane.
    void find(const QString& text);
    // Opens the page a "[screen]PAGE;[item]SHAPE" line names and selects the shape alone.
    void locateLine(const QString& line);
    // The serial link, the instruction pane and the debug assistant.
    DeviceConsole* console() const { return console_; }
    QMdiArea* mdiArea() const { return mdi_; }
    ProjectWorkspace& workspace() { return workspace_; }
    const IdeSettings& settings() const { return settings_; }
    const RecentProjects& recent() const { return recent_; }
    ProjectJobWorker& worker() { return *worker_; }
    QString statusText() const;

    // Messages for the user; a message box unless replaced (tests).
    std::function<void(const QString&)> showMessage;
    // Closing a modified page asks: Save, Discard or Cancel; replaced by tests.
    std::function<QMessageBox::StandardButton(const QString& page)> askSave;
    // The view of the active page, or null.
    COrvaneView* activeView() const;
    QList<CPageFrame*> pages() const;
    // Starts a program of the application folder; replaced by tests.
    std::function<bool(const QString& name, const QStringList& args)> launch;
    // Asks for the find options; the options dialog unless replaced (tests).
    std::function<bool(FindOptions& options)> askFindOptions;
    // Asks for a file to read (title, filter); a file dialog unless replaced (tests).
    std::function<QString(const QString& title, const QString& filter)> askOpenFile;
    // The device steps of jobs: what a download sends, the progress bar.
    DeviceJobs& deviceJobs() { return *deviceJobs_; }
    // The single panel commands of the serial bar and the device menu.
    DeviceToolBar* deviceBar() const { return devices_; }
    // Display synchronisation (the page-changed notification): compiles the
    // active page and sends its drawing when a project and the port are open
    // and synchronisation is on. False when nothing was queued.
    bool synchroniseActivePage();
    // A download job of the download dialogs; false while a job runs or waits.
    bool submitDownload(const DownloadRequest& request);
    // The production wizard (32831) and the picture update dialog (32924),
    // made when first opened; null before.
    CResouceDownloader* downloadWizard() const { return wizard_; }
    CResourceUpdateDlg* updateDialog() const { return updateDlg_; }

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
    void updateDesignerCommands();
    // Closes every document; false when one stays open.
    bool closeDocuments();
    void preparePage(CPageFrame& page);
    void designerCommand(int id);
    bool addPagePicture(COrvaneView& view);
    void afterCompile(bool succeeded);
    void startSimulator();
    void treeCommand(int id, QTreeWidgetItem* item);
    void openTreeItem(QTreeWidgetItem* item);
    void openTool(int id);
    void refreshResources();
    QString activePageName() const;
    void report(const QString& message);
    void reloadCatalogue();
    void projectPropertyEdited(const QString& name);
    void loadLanguage();
    void updateSyncCommand();
    void convertFirmware(bool encrypt);
    void openDownloadDialog(int id);
    bool jobRunningOrWaiting() const;

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
    CResourcePane* resources_ = nullptr;
    CPictureBrowser* pictures_ = nullptr;
    CFindPane* findPane_ = nullptr;
    CFindCombo* findCombo_ = nullptr;
    FindOptions findOptions_;
    DeviceConsole* console_ = nullptr; // a child of this window
    DeviceJobs* deviceJobs_ = nullptr; // a child of this window
    DeviceToolBar* devices_ = nullptr; // a child of this window
    CResouceDownloader* wizard_ = nullptr;
    CResourceUpdateDlg* updateDlg_ = nullptr;
    QLabel* status_ = nullptr;
    QTranslator qtTexts_; // Qt's own dialog texts in the chosen language
    QByteArray defaultLayout_;
    bool settingsWritten_ = false;
    bool designerLocked_ = false;
};

} // namespace tft::ide
