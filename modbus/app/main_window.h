// The multi-document main window: map windows in tabs, file and edit
// commands, recent files, drag and drop of maps, and the update window.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace tessary {

class MapView;
class ProblemsPane;
class UpdateWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens a map; an unreadable file or one with a bad header is refused with
    // its message (no window), other load problems open it and show the message.
    // `quiet` skips the message boxes (for tests); the message is returned.
    // A map that is already open is brought forward; when it has unsaved
    // edits the user chooses between them and the file (Save / Discard /
    // Cancel), Discard reading the file again.
    MapView* openFile(const QString& path, QString* message = nullptr, bool quiet = false);
    MapView* newMap();
    // The map the commands work on: the active tab, or while no tab is active
    // (focus in a tool bar or a dialog, the window not yet activated) the map
    // activated last.
    MapView* activeMap() const;
    // Asks "是否保存对 … 的修改？" (Save / Discard / Cancel) when the map has
    // unsaved edits; true when it may close (saved or discarded).
    bool confirmClose(MapView* view);
    QList<MapView*> maps() const;
    QStringList recentFiles() const { return recent_; }
    UpdateWindow* updateWindow(); // created on first use
    QMdiArea* area() { return area_; }
    ProblemsPane* problemsPane() { return problems_; }
    // Attaches a project to a map and remembers it for the map's file.
    void attachProject(MapView* view, const QString& projectPath);

    static constexpr int kRecentCount = 6;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Every close of a map window (tab button, close command) passes here.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildActions();
    void updateActions();
    void addRecent(const QString& path);
    void rebuildRecentMenu();
    bool saveMap(MapView* view, bool choosePath);
    QMdiSubWindow* subWindowOf(MapView* view) const;
    void mapActivated(QMdiSubWindow* window);
    bool confirmStopUpdate();
    void openDialog();
    void deviceConfig();
    void showUpdateWindow();
    void chooseProject();

    QMdiArea* area_;
    ProblemsPane* problems_ = nullptr;
    QAction* attachAction_ = nullptr;
    QAction* detachAction_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* saveAsAction_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QAction* closeAction_ = nullptr;
    QAction* cutAction_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* pasteAction_ = nullptr;
    QAction* addAction_ = nullptr;
    QAction* deleteSelectedAction_ = nullptr;
    QAction* deleteAllAction_ = nullptr;
    QAction* deviceAction_ = nullptr;
    QStringList recent_;
    UpdateWindow* updateWindow_ = nullptr;
    QPointer<MapView> lastActive_;
};

} // namespace tessary
