// The multi-document main window: map windows in tabs, file and edit
// commands, recent files, drag and drop of maps, and the update window.
#pragma once

#include <QMainWindow>
#include <QStringList>

class QAction;
class QMdiArea;
class QMenu;

namespace tessary {

class MapView;
class UpdateWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens a map; an unreadable file or one with a bad header is refused with
    // its message (no window), other load problems open it and show the message.
    // `quiet` skips the message boxes (for tests); the message is returned.
    MapView* openFile(const QString& path, QString* message = nullptr, bool quiet = false);
    MapView* newMap();
    MapView* activeMap() const;
    QList<MapView*> maps() const;
    QStringList recentFiles() const { return recent_; }
    UpdateWindow* updateWindow(); // created on first use
    QMdiArea* area() { return area_; }

    static constexpr int kRecentCount = 6;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildActions();
    void updateActions();
    void addRecent(const QString& path);
    void rebuildRecentMenu();
    bool saveMap(MapView* view, bool choosePath);
    void openDialog();
    void deviceConfig();
    void showUpdateWindow();

    QMdiArea* area_;
    QMenu* recentMenu_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* saveAsAction_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QAction* addAction_ = nullptr;
    QAction* deleteSelectedAction_ = nullptr;
    QAction* deleteAllAction_ = nullptr;
    QAction* deviceAction_ = nullptr;
    QStringList recent_;
    UpdateWindow* updateWindow_ = nullptr;
};

} // namespace tessary
