#include "main_window.h"

#include "map_view.h"
#include "problems_pane.h"
#include "project_link.h"
#include "update_window.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QToolBar>

namespace tessary {

namespace {

bool isMapFile(const QString& path) {
    return path.endsWith(QStringLiteral(".mbm"), Qt::CaseInsensitive);
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Tessary"));
    area_ = new QMdiArea(this);
    area_->setViewMode(QMdiArea::TabbedView);
    area_->setTabsClosable(true);
    area_->setDocumentMode(true);
    setCentralWidget(area_);
    setAcceptDrops(true);
    auto* dock = new QDockWidget(QStringLiteral("问题(Problems)"), this);
    dock->setObjectName(QStringLiteral("ProblemsPane"));
    problems_ = new ProblemsPane(dock);
    dock->setWidget(problems_);
    addDockWidget(Qt::BottomDockWidgetArea, dock);

    QSettings s;
    s.beginGroup(QStringLiteral("Settings"));
    recent_ = s.value(QStringLiteral("RecentFiles")).toStringList().mid(0, kRecentCount);
    buildActions();
    // Wide enough for the grid's seven 200-pixel columns until the user's size is known.
    resize(1480, 640);
    restoreGeometry(s.value(QStringLiteral("WindowGeometry")).toByteArray());
    restoreState(s.value(QStringLiteral("WindowState")).toByteArray());
    connect(area_, &QMdiArea::subWindowActivated, this, &MainWindow::mapActivated);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &MainWindow::updateActions);
    updateActions();
}

MainWindow::~MainWindow() {
    // The map windows go after this object is no longer a MainWindow; their
    // last signals must not reach it.
    area_->disconnect(this);
    QGuiApplication::clipboard()->disconnect(this);
    for (MapView* v : maps()) {
        v->removeEventFilter(this);
        v->disconnect(this);
        v->editor()->undoStack()->disconnect(this);
    }
}

void MainWindow::buildActions() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    QAction* newAction = file->addAction(QStringLiteral("新建(&N)"), this, [this] { newMap(); });
    newAction->setShortcut(QKeySequence::New);
    QAction* openAction =
        file->addAction(QStringLiteral("打开(&O)..."), this, &MainWindow::openDialog);
    openAction->setShortcut(QKeySequence::Open);
    saveAction_ = file->addAction(QStringLiteral("保存(&S)"), this, [this] {
        if (MapView* v = activeMap())
            saveMap(v, false);
    });
    saveAction_->setShortcut(QKeySequence::Save);
    saveAsAction_ = file->addAction(QStringLiteral("另存为(&A)..."), this, [this] {
        if (MapView* v = activeMap())
            saveMap(v, true);
    });
    closeAction_ = file->addAction(QStringLiteral("关闭(&C)"), this, [this] {
        if (QMdiSubWindow* w = subWindowOf(activeMap()))
            w->close();
    });
    closeAction_->setShortcut(QKeySequence::Close);
    recentMenu_ = file->addMenu(QStringLiteral("最近的文件"));
    rebuildRecentMenu();
    file->addSeparator();
    file->addAction(QStringLiteral("退出(&X)"), this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    undoAction_ = edit->addAction(QStringLiteral("撤销(&U)"), this, [this] {
        if (MapView* v = activeMap())
            v->editor()->undoStack()->undo();
    });
    undoAction_->setShortcut(QKeySequence::Undo);
    redoAction_ = edit->addAction(QStringLiteral("重做(&R)"), this, [this] {
        if (MapView* v = activeMap())
            v->editor()->undoStack()->redo();
    });
    redoAction_->setShortcut(QKeySequence::Redo);
    edit->addSeparator();
    cutAction_ = edit->addAction(QStringLiteral("剪切(&T)"), this, [this] {
        if (MapView* v = activeMap())
            v->cutRows();
    });
    cutAction_->setShortcut(QKeySequence::Cut);
    copyAction_ = edit->addAction(QStringLiteral("复制(&C)"), this, [this] {
        if (MapView* v = activeMap())
            v->copyRows();
    });
    copyAction_->setShortcut(QKeySequence::Copy);
    pasteAction_ = edit->addAction(QStringLiteral("粘贴(&P)"), this, [this] {
        if (MapView* v = activeMap())
            v->pasteRows();
    });
    pasteAction_->setShortcut(QKeySequence::Paste);
    edit->addSeparator();
    addAction_ = edit->addAction(QStringLiteral("添加"), this, [this] {
        if (MapView* v = activeMap())
            v->addRow();
    });
    deleteSelectedAction_ = edit->addAction(QStringLiteral("选择删除"), this, [this] {
        if (MapView* v = activeMap())
            v->deleteSelected();
    });
    deleteAllAction_ = edit->addAction(QStringLiteral("全部删除"), this, [this] {
        MapView* v = activeMap();
        if (!v)
            return;
        const auto answer =
            QMessageBox::question(this, windowTitle(), QStringLiteral("是否全部删除？"),
                                  QMessageBox::Yes | QMessageBox::No);
        v->deleteAll(answer == QMessageBox::Yes);
    });

    QMenu* projectMenu = menuBar()->addMenu(QStringLiteral("工程(&P)"));
    attachAction_ =
        projectMenu->addAction(QStringLiteral("关联工程..."), this, &MainWindow::chooseProject);
    detachAction_ = projectMenu->addAction(QStringLiteral("取消关联"), this, [this] {
        if (MapView* v = activeMap())
            attachProject(v, QString());
    });

    QMenu* tools = menuBar()->addMenu(QStringLiteral("工具(&T)"));
    deviceAction_ = tools->addAction(QStringLiteral("设备配置"), this, &MainWindow::deviceConfig);
    QAction* updateAction =
        tools->addAction(QStringLiteral("更新Modbus设备"), this, &MainWindow::showUpdateWindow);

    QToolBar* bar = addToolBar(QStringLiteral("命令栏"));
    bar->setObjectName(QStringLiteral("CommandBar"));
    bar->addAction(newAction);
    bar->addAction(openAction);
    bar->addAction(saveAction_);
    bar->addSeparator();
    bar->addAction(addAction_);
    bar->addAction(deleteSelectedAction_);
    bar->addAction(deleteAllAction_);
    bar->addSeparator();
    bar->addAction(deviceAction_);
    bar->addAction(updateAction);
}

void MainWindow::updateActions() {
    MapView* v = activeMap();
    for (QAction* a :
         {saveAction_, saveAsAction_, closeAction_, addAction_, deleteAllAction_, deviceAction_})
        a->setEnabled(v != nullptr);
    for (QAction* a : {deleteSelectedAction_, cutAction_, copyAction_})
        a->setEnabled(v && v->hasSelection());
    pasteAction_->setEnabled(v && MapView::canPaste());
    attachAction_->setEnabled(v != nullptr);
    detachAction_->setEnabled(v && !v->projectPath().isEmpty());
    problems_->setMap(v);
    undoAction_->setEnabled(v && v->editor()->undoStack()->canUndo());
    redoAction_->setEnabled(v && v->editor()->undoStack()->canRedo());
}

QList<MapView*> MainWindow::maps() const {
    QList<MapView*> out;
    for (QMdiSubWindow* w : area_->subWindowList())
        if (auto* v = qobject_cast<MapView*>(w->widget()))
            out.push_back(v);
    return out;
}

MapView* MainWindow::activeMap() const {
    if (QMdiSubWindow* w = area_->activeSubWindow())
        if (auto* v = qobject_cast<MapView*>(w->widget()))
            return v;
    // The area names no active tab while the window is active but focus is
    // elsewhere (a click that leaves the tabs, a lone tab that was never
    // activated): the commands still mean the map worked on last.
    const QList<MapView*> open = maps();
    if (lastActive_ && open.contains(lastActive_.data()))
        return lastActive_.data();
    if (QMdiSubWindow* w = area_->currentSubWindow())
        if (auto* v = qobject_cast<MapView*>(w->widget()))
            return v;
    return open.isEmpty() ? nullptr : open.back();
}

void MainWindow::mapActivated(QMdiSubWindow* window) {
    if (window != nullptr)
        if (auto* v = qobject_cast<MapView*>(window->widget()))
            lastActive_ = v;
    updateActions();
}

QMdiSubWindow* MainWindow::subWindowOf(MapView* view) const {
    if (view == nullptr)
        return nullptr;
    for (QMdiSubWindow* w : area_->subWindowList())
        if (w->widget() == view)
            return w;
    return nullptr;
}

MapView* MainWindow::newMap() {
    auto* view = new MapView;
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->setFilePath(QString());
    QMdiSubWindow* sub = area_->addSubWindow(view);
    view->installEventFilter(this);
    connect(view, &MapView::selectionChanged, this, &MainWindow::updateActions);
    connect(view, &MapView::projectChanged, this, &MainWindow::updateActions);
    connect(view->editor()->undoStack(), &QUndoStack::indexChanged, this,
            [this] { updateActions(); });
    connect(view->editor()->undoStack(), &QUndoStack::cleanChanged, view,
            [view](bool clean) { view->setWindowModified(!clean); });
    sub->showMaximized();
    area_->setActiveSubWindow(sub);
    lastActive_ = view;
    updateActions();
    return view;
}

MapView* MainWindow::openFile(const QString& path, QString* message, bool quiet) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    MapView* reopened = nullptr;
    for (MapView* v : maps())
        if (v->filePath() == absolute)
            reopened = v;
    if (reopened != nullptr) {
        area_->setActiveSubWindow(subWindowOf(reopened));
        lastActive_ = reopened;
        updateActions();
        // Reading the file again would put it over the edits: the user decides.
        // Cancel keeps them; Save writes them, so the file already holds what
        // the window shows; Discard reads the file again below.
        if (reopened->editor()->undoStack()->isClean() || !confirmClose(reopened))
            return reopened;
        if (reopened->editor()->undoStack()->isClean())
            return reopened;
    }
    CTessaryDoc doc;
    LoadStatus status = LoadStatus::Ok;
    std::string error;
    QString text;
    if (!doc.loadFile(absolute.toStdString(), &status, &error))
        text = QString::fromStdString(error);
    else
        text = QString::fromUtf8(loadStatusMessage(status));
    if (message)
        *message = text;
    if (!text.isEmpty() && !quiet)
        QMessageBox::warning(this, windowTitle(), text);
    // A file whose header is not a map's opens no window: saving an empty map
    // over it would destroy whatever it holds.
    if (!error.empty() || status == LoadStatus::HeaderError)
        return reopened;
    MapView* view = reopened != nullptr ? reopened : newMap();
    view->editor()->reset(doc);
    view->setFilePath(absolute);
    addRecent(absolute);
    const QString project = rememberedProject(absolute);
    if (!project.isEmpty() && project != view->projectPath())
        view->attachProject(project);
    return view;
}

void MainWindow::openDialog() {
    const QStringList files = QFileDialog::getOpenFileNames(this, QString(), QString(),
                                                            QStringLiteral("Modbus Map(*.mbm)"));
    for (const QString& f : files)
        openFile(f);
}

bool MainWindow::saveMap(MapView* view, bool choosePath) {
    QString path = view->filePath();
    if (choosePath || path.isEmpty()) {
        path = QFileDialog::getSaveFileName(this, QString(),
                                            path.isEmpty() ? view->displayName() : path,
                                            QStringLiteral("Modbus Map(*.mbm)"));
        if (path.isEmpty())
            return false;
        if (!isMapFile(path))
            path += QStringLiteral(".mbm");
    }
    QString error;
    const QString oldPath = view->filePath();
    if (!view->save(path, &error)) {
        QMessageBox::warning(
            this, windowTitle(),
            QStringLiteral("无法保存 %1：%2").arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    addRecent(view->filePath());
    if (view->filePath() != oldPath)
        rememberProject(view->filePath(), view->projectPath());
    return true;
}

void MainWindow::attachProject(MapView* view, const QString& projectPath) {
    if (!view)
        return;
    view->attachProject(projectPath);
    rememberProject(view->filePath(), view->projectPath());
    updateActions();
}

void MainWindow::chooseProject() {
    MapView* v = activeMap();
    if (!v)
        return;
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("关联工程"),
                                                      QFileInfo(v->projectPath()).absolutePath(),
                                                      QStringLiteral("工程文件(*.tftprj)"));
    if (!file.isEmpty())
        attachProject(v, file);
}

void MainWindow::addRecent(const QString& path) {
    recent_.removeAll(path);
    recent_.prepend(path);
    while (recent_.size() > kRecentCount)
        recent_.removeLast();
    QSettings s;
    s.beginGroup(QStringLiteral("Settings"));
    s.setValue(QStringLiteral("RecentFiles"), recent_);
    rebuildRecentMenu();
}

void MainWindow::rebuildRecentMenu() {
    recentMenu_->clear();
    for (int i = 0; i < recent_.size(); ++i) {
        const QString path = recent_[i];
        recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path), this,
                               [this, path] { openFile(path); });
    }
    recentMenu_->setEnabled(!recent_.isEmpty());
}

void MainWindow::deviceConfig() {
    MapView* v = activeMap();
    if (!v)
        return;
    DeviceAddressDialog dialog(v->editor()->document().deviceAddress(), this);
    if (dialog.exec() == QDialog::Accepted)
        v->editor()->setDeviceAddress(dialog.address());
}

UpdateWindow* MainWindow::updateWindow() {
    if (!updateWindow_)
        updateWindow_ = new UpdateWindow(this);
    return updateWindow_;
}

void MainWindow::showUpdateWindow() {
    UpdateWindow* w = updateWindow();
    if (MapView* v = activeMap(); v && !v->filePath().isEmpty() && w->mapField()->text().isEmpty())
        w->mapChosen(v->filePath());
    w->show();
    w->move(geometry().center() - w->rect().center());
    w->raise();
    w->activateWindow();
}

bool MainWindow::confirmClose(MapView* view) {
    if (view == nullptr || view->editor()->undoStack()->isClean())
        return true;
    area_->setActiveSubWindow(subWindowOf(view));
    const auto answer = QMessageBox::question(
        this, windowTitle(), QStringLiteral("是否保存对 %1 的修改？").arg(view->displayName()),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return saveMap(view, false);
    return answer == QMessageBox::Discard;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close)
        if (auto* view = qobject_cast<MapView*>(watched); view && !confirmClose(view)) {
            event->ignore();
            return true;
        }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::confirmStopUpdate() {
    if (updateWindow_ == nullptr || !updateWindow_->running())
        return true;
    const auto answer = QMessageBox::question(
        this, windowTitle(), QStringLiteral("正在更新Modbus设备，是否停止更新并退出？"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!confirmStopUpdate()) {
        event->ignore();
        return;
    }
    for (MapView* v : maps())
        if (!confirmClose(v)) {
            event->ignore();
            return;
        }
    if (updateWindow_ != nullptr)
        updateWindow_->stopAndWait();
    QSettings s;
    s.beginGroup(QStringLiteral("Settings"));
    s.setValue(QStringLiteral("WindowGeometry"), saveGeometry());
    s.setValue(QStringLiteral("WindowState"), saveState());
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && isMapFile(url.toLocalFile())) {
            event->acceptProposedAction();
            return;
        }
}

void MainWindow::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && isMapFile(url.toLocalFile()))
            openFile(url.toLocalFile());
    event->acceptProposedAction();
}

} // namespace tessary
