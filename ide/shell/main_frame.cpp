#include "main_frame.h"

#include "after_build.h"
#include "command_lines.h"
#include "commands.h"
#include "compiler_runner.h"
#include "designer_commands.h"
#include "device_console.h"
#include "device_jobs.h"
#include "device_tool_bar.h"
#include "download_request.h"
#include "find_widgets.h"
#include "firmware_file.h"
#include "font_config.h"
#include "font_options_dlg.h"
#include "new_project_dlg.h"
#include "orvane_view.h"
#include "output_pane.h"
#include "page_frame.h"
#include "picture_browser.h"
#include "picture_drop.h"
#include "properties_controller.h"
#include "properties_pane.h"
#include "resource_downloader.h"
#include "resource_pane.h"
#include "resource_update_dlg.h"
#include "setup_download_dlg.h"
#include "solution_pane.h"
#include "string_table.h"
#include "tool_launcher.h"

#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUrl>

namespace tft::ide {

namespace {

const char* kLayoutKey = "NormalLayout/State";
const char* kGeometryKey = "NormalLayout/Geometry";

QString barName(Bar bar) {
    switch (bar) {
    case Bar::Standard:
        return QStringLiteral("Standard");
    case Bar::Find:
        return QStringLiteral("Find");
    case Bar::SerialPort:
        return QStringLiteral("SerialPort");
    case Bar::Drawing:
        return QStringLiteral("Drawing");
    case Bar::Layout:
        return QStringLiteral("Layout");
    case Bar::None:
        break;
    }
    return {};
}

int barCaption(Bar bar) {
    switch (bar) {
    case Bar::Standard:
        return sid::BarStandard;
    case Bar::Find:
        return sid::BarFind;
    case Bar::SerialPort:
        return sid::BarSerialPort;
    case Bar::Drawing:
        return sid::BarDrawing;
    case Bar::Layout:
        return sid::BarLayout;
    case Bar::None:
        break;
    }
    return sid::BarMainMenu;
}

} // namespace

CMainFrame::CMainFrame(const QString& appDir, QSettings* store, QWidget* parent)
    : QMainWindow(parent), appDir_(appDir), store_(store),
      catalogue_(DeviceCatalogue::load(catalogueFile(appDir.toStdString()))),
      workspace_(catalogue_),
      syntax_(
          SyntaxStyle::load(QDir(appDir).filePath(QStringLiteral("EditConfig/SyntaxEdit.ini")))) {
    setObjectName(QStringLiteral("MainFrame"));
    showMessage = [this](const QString& text) {
        QMessageBox::warning(this, ideText(sid::AppTitle), text);
    };
    launch = [this](const QString& name, const QStringList& args) {
        return startProgram(appDir_, name, args);
    };
    askFindOptions = [this](FindOptions& options) {
        CFindOptionsDlg dialog(options, this);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        options = dialog.options();
        return true;
    };
    askSave = [this](const QString& page) {
        return QMessageBox::question(
            this, ideText(sid::AppTitle), ideText(sid::SavePageQuestion).arg(page),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    };
    // Language first: everything built below takes its texts from it.
    settings_ = IdeSettings::read(*store_);
    recent_.read(*store_);
    loadLanguage();

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("Documents"));
    mdi_->setViewMode(QMdiArea::TabbedView);
    mdi_->setTabsClosable(true);
    mdi_->setTabsMovable(true);
    mdi_->setDocumentMode(true);
    setCentralWidget(mdi_);
    createActions();
    createMenus();
    createBars();
    createPanes();
    status_ = new QLabel(this);
    statusBar()->addWidget(status_, 1);
    console_ =
        new DeviceConsole(this, bar(QStringLiteral("SerialPort")), pane(sid::PaneInstructions),
                          store_, appDir_, [this](const QString& m) {
                              if (showMessage)
                                  showMessage(m);
                          });
    devices_ = new DeviceToolBar(this, bar(QStringLiteral("SerialPort")), menu(sid::MenuDevice),
                                 console_->link(), console_->log());
    devices_->showMessage = [this](const QString& m) { report(m); };
    auto* progress = new QProgressBar(this);
    progress->setObjectName(QStringLiteral("DownloadProgress"));
    progress->setMaximumWidth(200);
    statusBar()->addPermanentWidget(progress);
    deviceJobs_ = new DeviceJobs(*console_, progress, this);
    deviceJobs_->setUsbAllowed(usbAllowed(settings_.downloadOptions));
    connect(&console_->link(), &DeviceLink::statusChanged, this, [this] { updateSyncCommand(); });
    askOpenFile = [this](const QString& title, const QString& filter) {
        return QFileDialog::getOpenFileName(this, title, QString(), filter);
    };
    setAcceptDrops(true);
    retranslate();
    defaultLayout_ = saveState();
    restoreGeometry(store_->value(QLatin1String(kGeometryKey)).toByteArray());
    if (!restoreState(store_->value(QLatin1String(kLayoutKey)).toByteArray()))
        restoreState(defaultLayout_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        updateCommandStates();
        auto* page = sub ? qobject_cast<CPageFrame*>(sub->widget()) : nullptr;
        properties_->attachPage(page, page ? &page->document() : nullptr);
    });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { updateCommandStates(); });

    JobHooks hooks;
    const auto post = [this](auto fn) {
        QMetaObject::invokeMethod(this, fn, Qt::QueuedConnection);
    };
    hooks.clearOutput = [this, post] { post([this] { output_->clear(); }); };
    hooks.line = [this, post](const QString& line) {
        post([this, line] { output_->appendLine(line); });
    };
    hooks.compilerFinished = [this, post](bool ok) { post([this, ok] { afterCompile(ok); }); };
    hooks.afterSuccessfulCompile = [this, post] {
        std::uint32_t mask;
        std::string base;
        {
            std::lock_guard<std::mutex> lock(packsMutex_);
            mask = packMask_;
            base = packBase_;
        }
        const std::filesystem::path app = appDir_.toStdString();
        const PackReport packs = writeSystemPacks(app, catalogueFile(app), mask, base);
        for (const QString& line : packs.lines)
            post([this, line] { output_->appendLine(line); });
    };
    hooks.deviceSteps = [this, line = hooks.line](std::uint32_t bits) {
        deviceJobs_->run(bits, line);
    };
    hooks.runSimulator = [this, post] { post([this] { startSimulator(); }); };
    hooks.idle = [this] { console_->link().poll(); };
    hooks.jobDone = [this, post](std::uint32_t bits, bool ok) {
        post([this, bits, ok] {
            updateCommandStates();
            emit jobFinished(bits, ok);
        });
    };
    const LineSink line = hooks.line;
    worker_ = std::make_unique<ProjectJobWorker>(
        std::move(hooks),
        [app = appDir_, line](const QString& command, const std::atomic<bool>& stop) {
            return runCompiler(command, app, line, &stop);
        });
    worker_->start();
    updateCommandStates();
}

CMainFrame::~CMainFrame() {
    worker_->stop();
    // The documents close after this object's own members are gone.
    disconnect(mdi_, nullptr, this, nullptr);
}

void CMainFrame::createActions() {
    auto* languages = new QActionGroup(this);
    auto* tools = new QActionGroup(this);
    std::vector<CommandInfo> commands = mainCommands();
    commands.insert(commands.end(), designerCommands().begin(), designerCommands().end());
    for (const CommandInfo& info : commands) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("Command%1").arg(info.id));
        action->setData(info.id);
        action->setShortcut(info.shortcut);
        action->setCheckable(info.checkable);
        if (info.id == cmd::LanguageChinese || info.id == cmd::LanguageEnglish)
            languages->addAction(action);
        if (info.id >= designer::ToolFirst && info.id <= designer::ToolLast)
            tools->addAction(action);
        connect(action, &QAction::triggered, this, [this, id = info.id] { runCommand(id); });
        actions_.insert(info.id, action);
    }
    for (int i = 0; i < 5; ++i) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("Command%1").arg(cmd::Recent1 + i));
        connect(action, &QAction::triggered, this, [this, i] {
            if (i < recent_.entries().size())
                openProject(recent_.entries().at(i));
        });
        recentActions_ << action;
        actions_.insert(cmd::Recent1 + i, action);
    }
    for (int i = 0; i < 7; ++i) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("Command%1").arg(cmd::PaneFirst + i));
        connect(action, &QAction::triggered, this, [this, i] { runCommand(cmd::PaneFirst + i); });
        actions_.insert(cmd::PaneFirst + i, action);
    }
}

void CMainFrame::createMenus() {
    menuBar()->setObjectName(QStringLiteral("Main Menu"));
    const auto add = [this](int title, std::initializer_list<int> ids) {
        QMenu* m = menuBar()->addMenu(QString());
        m->setObjectName(QStringLiteral("Menu%1").arg(title));
        menus_.insert(title, m);
        for (const int id : ids) {
            if (id == 0)
                m->addSeparator();
            else if (id == cmd::Recent1) {
                QMenu* recent = m->addMenu(QString());
                recent->setObjectName(QStringLiteral("Menu%1").arg(sid::RecentProjects));
                menus_.insert(sid::RecentProjects, recent);
                recent->addActions(recentActions_);
            } else
                m->addAction(actions_.value(id));
        }
        return m;
    };
    add(sid::MenuFile, {cmd::NewProject, cmd::OpenProject, cmd::OpenProjectFolder,
                        cmd::CloseProject, 0, cmd::NewPage, cmd::OpenPage, 0, cmd::SaveProject,
                        cmd::BackupProject, 0, cmd::Recent1, 0, cmd::Exit});
    add(sid::MenuEdit,
        {cmd::Undo, cmd::Redo, 0, designer::Cut, designer::Copy, designer::Paste,
         designer::DeleteSelection, designer::DeleteAll, designer::SelectAll, 0, cmd::Find});
    add(sid::MenuView, {cmd::PaneFirst, cmd::PaneFirst + 1, cmd::PaneFirst + 2, cmd::PaneFirst + 3,
                        cmd::PaneFirst + 4, cmd::PaneFirst + 5, cmd::PaneFirst + 6, 0,
                        cmd::RestoreLayout, 0, cmd::LockObjects, cmd::ShowIds});
    add(sid::MenuProject,
        {cmd::CompileProject, cmd::CompilePage, cmd::RunSimulator, 0, cmd::Download,
         cmd::SyncDisplay, cmd::InstructionConsole, 0, cmd::ProjectSettings, cmd::FontConfig});
    // The device tool bar's single commands join this menu when the link exists.
    add(sid::MenuDevice, {cmd::Download, cmd::DownloadWizard, cmd::UpdatePictures, cmd::DownloadWay,
                          cmd::SyncDisplay, 0, cmd::FirmwareEncrypt, cmd::FirmwareDecrypt, 0});
    add(sid::MenuTools,
        {cmd::ImageEditor, cmd::ManageLibrary, cmd::ImportPictures, cmd::DeletePicture,
         cmd::Calculator, 0, cmd::FontGenerator, cmd::FontViewer, cmd::ModbusConfig});
    QMenu* draw = add(sid::MenuDraw, {});
    for (int id = designer::ToolFirst; id <= designer::ToolLast; ++id)
        draw->addAction(actions_.value(id));
    draw->addSeparator();
    for (const int id :
         {int(designer::Grid), 0, int(designer::ColourPicker), int(designer::ForegroundColour),
          int(designer::BackgroundColour), int(designer::MoreForegroundColours),
          int(designer::MoreBackgroundColours), int(designer::SwapColours),
          int(designer::DefaultColours), 0, int(designer::CopyPagePicture),
          int(designer::SavePagePicture), int(designer::AddPagePicture)})
        if (id)
            draw->addAction(actions_.value(id));
        else
            draw->addSeparator();
    QMenu* arrange = add(sid::MenuArrange, {});
    for (const CommandInfo& info : designerCommands()) {
        if (info.id >= designer::OrderFirst && info.id <= designer::AlignLast) {
            if (info.id == designer::AlignFirst || info.id == 40020 || info.id == 40026)
                arrange->addSeparator();
            arrange->addAction(actions_.value(info.id));
        }
    }
    add(sid::MenuLanguage, {cmd::LanguageChinese, cmd::LanguageEnglish});
    add(sid::MenuHelp, {cmd::QuickStart});
}

void CMainFrame::createBars() {
    for (const Bar which : {Bar::Standard, Bar::Find, Bar::SerialPort, Bar::Drawing, Bar::Layout}) {
        QToolBar* toolBar = addToolBar(barName(which));
        toolBar->setObjectName(barName(which));
        toolBar->setProperty("caption", barCaption(which));
        if (which == Bar::Find) {
            findCombo_ = new CFindCombo(toolBar);
            toolBar->addWidget(findCombo_);
            connect(findCombo_, &CFindCombo::findRequested, this, &CMainFrame::find);
        }
        for (const auto* list : {&mainCommands(), &designerCommands()})
            for (const CommandInfo& info : *list)
                if (info.bar == which)
                    toolBar->addAction(actions_.value(info.id));
        bars_ << toolBar;
    }
}

QToolBar* CMainFrame::bar(const QString& name) const {
    for (QToolBar* b : bars_)
        if (b->objectName() == name)
            return b;
    return nullptr;
}

void CMainFrame::createPanes() {
    solution_ = new CSolutionPane(this);
    output_ = new COutputPane(this);
    output_->locate = [this](const QString& line) { locateLine(line); };
    auto* grid = new CPropertiesPane(this);
    properties_ = new CPropertiesController(grid, workspace_, catalogue_, appDir_, this);
    properties_->setLanguage(settings_.language);
    connect(properties_, &CPropertiesController::projectEdited, this,
            &CMainFrame::projectPropertyEdited);
    connect(this, &CMainFrame::projectChanged, properties_, &CPropertiesController::projectChanged);
    resources_ = new CResourcePane(this);
    pictures_ = new CPictureBrowser(ImageLibraries(QDir(appDir_).filePath(QStringLiteral("images")),
                                                   ImageLibraries::defaultUserImages()),
                                    this);
    findPane_ = new CFindPane(this);
    findPane_->locate = [this](const QString& line) { locateLine(line); };
    connect(solution_, &CSolutionPane::openRequested, this, &CMainFrame::openTreeItem);
    connect(solution_, &CSolutionPane::commandRequested, this, &CMainFrame::treeCommand);
    const Qt::DockWidgetArea areas[] = {Qt::LeftDockWidgetArea,   Qt::RightDockWidgetArea,
                                        Qt::BottomDockWidgetArea, Qt::BottomDockWidgetArea,
                                        Qt::RightDockWidgetArea,  Qt::LeftDockWidgetArea,
                                        Qt::BottomDockWidgetArea};
    for (int i = 0; i < 7; ++i) {
        const int id = cmd::PaneFirst + i;
        auto* dock = new QDockWidget(this);
        dock->setObjectName(QStringLiteral("Pane%1").arg(id));
        QWidget* content = nullptr;
        if (id == sid::PaneProject)
            content = solution_;
        else if (id == sid::PaneOutput)
            content = output_;
        else if (id == sid::PaneProperties)
            content = grid;
        else if (id == sid::PaneResources)
            content = resources_;
        else if (id == sid::PanePictures)
            content = pictures_;
        else if (id == sid::PaneFind)
            content = findPane_;
        else {
            // Filled by the designer and console code.
            content = new QWidget(dock);
            content->setObjectName(QStringLiteral("PaneContent%1").arg(id));
        }
        dock->setWidget(content);
        addDockWidget(areas[i], dock);
        panes_.insert(id, dock);
    }
    tabifyDockWidget(panes_.value(sid::PaneProject), panes_.value(sid::PaneResources));
    tabifyDockWidget(panes_.value(sid::PaneOutput), panes_.value(sid::PaneInstructions));
    tabifyDockWidget(panes_.value(sid::PaneOutput), panes_.value(sid::PaneFind));
    tabifyDockWidget(panes_.value(sid::PaneProperties), panes_.value(sid::PanePictures));
    panes_.value(sid::PaneProject)->raise();
    panes_.value(sid::PaneOutput)->raise();
    panes_.value(sid::PaneProperties)->raise();
}

void CMainFrame::retranslate() {
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
        if (it.key() >= cmd::Recent1 && it.key() < cmd::Recent1 + 5)
            continue;
        it.value()->setText(ideText(it.key()));
    }
    for (auto it = menus_.cbegin(); it != menus_.cend(); ++it)
        it.value()->setTitle(ideText(it.key()));
    for (QToolBar* b : bars_)
        b->setWindowTitle(ideText(b->property("caption").toInt()));
    for (auto it = panes_.cbegin(); it != panes_.cend(); ++it)
        it.value()->setWindowTitle(ideText(it.key()));
    actions_.value(cmd::LanguageChinese)->setChecked(settings_.language == kLanguageChinese);
    actions_.value(cmd::LanguageEnglish)->setChecked(settings_.language == kLanguageEnglish);
    actions_.value(cmd::ShowIds)->setChecked(settings_.showId != 0);
    updateSyncCommand();
    devices_->retranslate();
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* page = qobject_cast<CPageFrame*>(sub->widget()))
            page->retranslate();
    updateRecentMenu();
    solution_->rebuild(workspace_);
    resources_->retranslate();
    pictures_->retranslate();
    refreshResources();
    status_->setText(ideText(sid::Ready));
    updateCommandStates();
}

void CMainFrame::updateRecentMenu() {
    for (int i = 0; i < recentActions_.size(); ++i) {
        QAction* a = recentActions_[i];
        a->setVisible(i < recent_.entries().size());
        a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(recent_.menuText(i)));
    }
}

void CMainFrame::updateCommandStates() {
    const bool open = workspace_.isOpen();
    for (const int id : {cmd::CompileProject, cmd::CompilePage, cmd::RunSimulator, cmd::Download,
                         cmd::NewPage, cmd::SaveProject, cmd::BackupProject, cmd::CloseProject,
                         cmd::OpenProjectFolder, cmd::ProjectSettings})
        actions_.value(id)->setEnabled(open);
    actions_.value(cmd::CompilePage)->setEnabled(open && !activePageName().isEmpty());
    updateDesignerCommands();
    QString title =
        open ? ideText(sid::ProjectTitle).arg(workspace_.title()) : ideText(sid::AppTitle);
    if (open && workspace_.readOnly())
        title += ideText(sid::ReadOnlyTitle);
    setWindowTitle(title);
}

QString CMainFrame::statusText() const {
    return status_->text();
}

void CMainFrame::report(const QString& message) {
    status_->setText(message.section(QLatin1Char('\n'), 0, 0));
    if (showMessage)
        showMessage(message);
}

void CMainFrame::setLanguage(int id) {
    if (id != kLanguageChinese && id != kLanguageEnglish)
        return;
    settings_.language = id;
    loadLanguage();
    retranslate();
    properties_->setLanguage(id);
}

void CMainFrame::projectPropertyEdited(const QString& name) {
    if (name == QLatin1String("Name")) {
        // As a rename in the tree leaves it: the root shows the new name.
        if (QTreeWidgetItem* root = solution_->topLevelItem(0))
            root->setText(0, workspace_.projectName());
    } else if (name == QLatin1String("DeviceType") || name == QLatin1String("DeviceScreenRvs")) {
        for (QMdiSubWindow* sub : mdi_->subWindowList())
            if (auto* page = qobject_cast<CPageFrame*>(sub->widget()))
                page->document().setScreenSize(projectScreenSize(workspace_));
    }
}

void CMainFrame::loadLanguage() {
    currentStrings().load(languageFile(appDir_, settings_.language));
    QCoreApplication::removeTranslator(&qtTexts_);
    if (settings_.language == kLanguageChinese &&
        qtTexts_.load(QStringLiteral("qtbase_zh_CN"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts_);
}

void CMainFrame::restoreDefaultLayout() {
    restoreState(defaultLayout_);
    for (QDockWidget* dock : panes_)
        dock->show();
}

bool CMainFrame::openProject(const QString& path) {
    if (workspace_.isOpen() && QFileInfo(path).absoluteFilePath() == workspace_.path())
        return true;
    if (!closeDocuments())
        return false;
    const Outcome opened = workspace_.open(path);
    solution_->rebuild(workspace_);
    if (!opened.ok) {
        // The failed path leaves the recent list (entry 1 when it was opened
        // from there); an unrelated entry is kept.
        const int at = int(recent_.entries().indexOf(QFileInfo(path).absoluteFilePath()));
        recent_.remove(at >= 0 ? at : int(recent_.entries().indexOf(path)));
        updateRecentMenu();
        updateCommandStates();
        report(opened.message);
        emit projectChanged();
        return false;
    }
    recent_.add(workspace_.path());
    updateRecentMenu();
    updateCommandStates();
    refreshResources();
    status_->setText(ideText(sid::Ready));
    emit projectChanged();
    return true;
}

bool CMainFrame::closeDocuments() {
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (!sub->close())
            return false; // the user kept a modified page open
    return true;
}

bool CMainFrame::closeProject() {
    if (!closeDocuments())
        return false;
    workspace_.close();
    solution_->rebuild(workspace_);
    resources_->clear();
    updateCommandStates();
    emit projectChanged();
    return true;
}

bool CMainFrame::createProject(const QString& folder, const QString& name, int deviceType) {
    QString file;
    const Outcome created = ProjectWorkspace::create(folder, name, deviceType, file);
    if (!created.ok) {
        report(created.message);
        return false;
    }
    store_->setValue(QStringLiteral("Settings/LastFolder"), folder);
    return openProject(file);
}

QMdiSubWindow* CMainFrame::openDocument(const QString& file) {
    const QString absolute = QFileInfo(file).absoluteFilePath();
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (sub->widget()->property("file").toString() == absolute) {
            mdi_->setActiveSubWindow(sub);
            return sub;
        }
    }
    const QString suffix = QFileInfo(file).suffix().toLower();
    QWidget* document = nullptr;
    if (suffix == QLatin1String("tft")) {
        auto* page = new CPageFrame(absolute);
        preparePage(*page);
        QString error;
        if (!page->load(&error)) {
            delete page;
            report(ideText(sid::PageOpenFailed).arg(absolute, error));
            return nullptr;
        }
        for (const auto& note : page->document().messages())
            output_->appendLine(
                ideText(sid::PageLoadMessage)
                    .arg(ProjectWorkspace::pageName(absolute), QString::fromStdString(note.text)));
        document = page;
    } else if (suffix == QLatin1String("c") || suffix == QLatin1String("h")) {
        auto* editor = new CTextEditorDoc(absolute, syntax_);
        QString error;
        if (!editor->load(&error)) {
            delete editor;
            report(ideText(sid::PageOpenFailed).arg(absolute, error));
            return nullptr;
        }
        document = editor;
    } else {
        return nullptr;
    }
    document->setProperty("file", absolute);
    document->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = mdi_->addSubWindow(document);
    sub->setWindowTitle(suffix == QLatin1String("tft") ? ProjectWorkspace::pageName(absolute)
                                                       : QFileInfo(absolute).fileName());
    sub->show();
    mdi_->setActiveSubWindow(sub);
    updateCommandStates();
    return sub;
}

QString CMainFrame::activePageName() const {
    QMdiSubWindow* sub = mdi_->currentSubWindow();
    if (!sub || !qobject_cast<CPageFrame*>(sub->widget()))
        return {};
    return sub->windowTitle();
}

bool CMainFrame::saveAll() {
    bool ok = true;
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (auto* editor = qobject_cast<CTextEditorDoc*>(sub->widget())) {
            QString error;
            if (editor->document()->isModified() && !editor->save(&error)) {
                report(ideText(sid::DocumentSaveFailed).arg(editor->file(), error));
                ok = false;
            }
        }
        if (auto* page = qobject_cast<CPageFrame*>(sub->widget())) {
            page->view()->closeTextEditor(true); // text typed in place joins the page
            QString error;
            if (page->isModified() && !page->save(&error)) {
                report(ideText(sid::DocumentSaveFailed).arg(page->file(), error));
                ok = false;
            }
        }
    }
    return ok;
}

bool CMainFrame::startBuild(int id) {
    if (!workspace_.isOpen())
        return false;
    saveAll();
    panes_.value(sid::PaneOutput)->show();
    panes_.value(sid::PaneOutput)->raise();
    const QString project = workspace_.path();
    QString line;
    std::uint32_t bits = job::Compile;
    switch (id) {
    case cmd::CompileProject:
        line = compileProjectCommand(project, settings_.language);
        break;
    case cmd::CompilePage: {
        const QString page = activePageName();
        if (page.isEmpty())
            return false;
        line = compilePageCommand(project, page, settings_.language);
        break;
    }
    case cmd::RunSimulator:
        line = runSimulatorCommand(project, settings_.language);
        bits |= job::RunSimulator;
        break;
    case cmd::Download:
        line = compileProjectCommand(project, settings_.language);
        bits = job::Download;
        {
            DeviceStepsJob steps;
            steps.files = compiledFiles(workspace_.outputBase().toStdString());
            deviceJobs_->prepare(std::move(steps), true);
        }
        break;
    default:
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(packsMutex_);
        const DeviceProp* device = workspace_.device();
        packMask_ = device ? static_cast<std::uint32_t>(device->SystemFontMask) : 0;
        packBase_ = workspace_.outputBase().toStdString();
    }
    if (!worker_->submit(line, bits))
        status_->setText(ideText(sid::JobQueued));
    return true;
}

bool CMainFrame::synchroniseActivePage() {
    if (!workspace_.isOpen() || !console_->link().isOpen() || settings_.syncDisplay == 0)
        return false;
    const QString page = activePageName();
    // A job waiting to start keeps what it sends; the next edit comes again.
    if (page.isEmpty() || worker_->word() != job::Idle)
        return false;
    const QMdiSubWindow* sub = mdi_->activeSubWindow();
    auto* frame = sub ? qobject_cast<CPageFrame*>(sub->widget()) : nullptr;
    QString error;
    if (frame && frame->isModified() && !frame->save(&error)) {
        report(ideText(sid::DocumentSaveFailed).arg(frame->file(), error));
        return false;
    }
    const std::string base = workspace_.outputBase().toStdString();
    DeviceStepsJob steps;
    steps.files = compiledFiles(base);
    steps.tftres = base + ".tftres";
    steps.page = page.toStdString();
    deviceJobs_->prepare(std::move(steps), false);
    return worker_->submit(syncDisplayCommand(workspace_.path(), page, settings_.language),
                           job::Compile | job::Images | job::SyncDisplay);
}

bool CMainFrame::jobRunningOrWaiting() const {
    return worker_->busy() || worker_->word() != job::Idle;
}

bool CMainFrame::submitDownload(const DownloadRequest& request) {
    if (jobRunningOrWaiting())
        return false;
    runCommand(sid::PaneOutput);
    deviceJobs_->prepare(request.job, request.force);
    return worker_->submit(QString(), request.bits);
}

void CMainFrame::openDownloadDialog(int id) {
    if (id == cmd::DownloadWay) {
        CSetupDownloadDlg dialog(store_, this);
        connect(&dialog, &CSetupDownloadDlg::optionsStored, this, [this](int options) {
            settings_.downloadOptions = options;
            deviceJobs_->setUsbAllowed(usbAllowed(options));
        });
        dialog.exec();
        return;
    }
    DownloadPort port;
    port.submit = [this](const DownloadRequest& request) { return submitDownload(request); };
    port.busy = [this] { return jobRunningOrWaiting(); };
    port.output = [this](const QString& line) { output_->appendLine(line); };
    port.showInstructions = [this] { runCommand(sid::PaneInstructions); };
    if (id == cmd::DownloadWizard) {
        if (!wizard_)
            wizard_ = new CResouceDownloader(
                port,
                [this] {
                    WizardProject project;
                    project.appDir = appDir_;
                    if (workspace_.isOpen()) {
                        const DeviceProp* device = workspace_.device();
                        project.fontMask =
                            device ? static_cast<std::uint32_t>(device->SystemFontMask) : 0;
                        project.outputFolder = workspace_.outputFolder();
                        project.projectFile = workspace_.path();
                    }
                    project.chinese = settings_.language == kLanguageChinese;
                    return project;
                },
                this);
        wizard_->present();
        return;
    }
    if (!updateDlg_)
        updateDlg_ = new CResourceUpdateDlg(console_->link(), port, this);
    updateDlg_->show();
    updateDlg_->raise();
    updateDlg_->activateWindow();
}

void CMainFrame::updateSyncCommand() {
    QAction* sync = actions_.value(cmd::SyncDisplay);
    const bool on = settings_.syncDisplay != 0;
    sync->setChecked(on);
    sync->setText(ideText(on ? sid::SyncDisplayOff : sid::SyncDisplay));
    sync->setEnabled(console_->link().isOpen());
}

void CMainFrame::convertFirmware(bool encrypt) {
    const QString source = askOpenFile(QStringLiteral("Firmware"),
                                       encrypt ? QStringLiteral("Firmware(*.hex);;All Files(*)")
                                               : QStringLiteral("Firmware(*.crypt)"));
    if (source.isEmpty())
        return;
    std::string error;
    const std::string target = convertFirmwareFile(source.toStdString(), encrypt, &error);
    // The panel's loader takes the file as it is; a line says where it went.
    status_->setText(target.empty()
                         ? ideText(sid::FirmwareNotConverted).arg(QString::fromStdString(error))
                         : ideText(sid::FirmwareConverted).arg(QString::fromStdString(target)));
}

void CMainFrame::afterCompile(bool succeeded) {
    // Whatever the result: driver files (never over the user's), code group.
    if (workspace_.isOpen()) {
        std::string error;
        if (!copyDriverFiles(appDir_.toStdString(), workspace_.outputFolder().toStdString(), error))
            output_->appendLine(ideText(sid::DriverCopyFailed).arg(QString::fromStdString(error)));
        solution_->refreshCode(workspace_);
    }
    refreshResources();
    status_->setText(ideText(sid::CompilerExit).arg(succeeded ? 0 : 1));
    emit compilerFinished(succeeded);
}

void CMainFrame::startSimulator() {
    if (!workspace_.isOpen())
        return;
    const QString si = workspace_.outputBase() + QStringLiteral(".si");
    if (!launch(QStringLiteral("dunmere"), simulatorArguments(si))) {
        const QString text =
            ideText(sid::CannotStart).arg(programPath(appDir_, QStringLiteral("dunmere")));
        output_->appendLine(text);
        report(text);
    }
}

bool CMainFrame::newPage() {
    QString relative;
    const Outcome made = workspace_.newPage(relative);
    if (!made.ok) {
        report(made.message);
        return false;
    }
    solution_->rebuild(workspace_);
    openDocument(workspace_.absolute(relative));
    return true;
}

void CMainFrame::addFiles(const QStringList& files) {
    const ProjectWorkspace::Added added = workspace_.addFiles(files);
    solution_->rebuild(workspace_);
    for (const QString& page : added.pages)
        openDocument(page);
    if (!added.problems.isEmpty())
        report(added.problems.join(QLatin1Char('\n')));
}

bool CMainFrame::removeEntry(QTreeWidgetItem* item) {
    if (!item)
        return false;
    const int group = item->data(0, CSolutionPane::GroupRole).toInt();
    if (group < 0 || group == int(Group::Code))
        return false;
    const QString relative = item->data(0, CSolutionPane::PathRole).toString();
    if (group == int(Group::Pages)) {
        // The open page closes first (a modified one asks); kept open, it stays.
        const QString file = workspace_.absolute(relative);
        for (QMdiSubWindow* sub : mdi_->subWindowList())
            if (sub->widget()->property("file").toString() == QFileInfo(file).absoluteFilePath() &&
                !sub->close())
                return false;
    }
    const Outcome removed = workspace_.remove(Group(group), relative);
    if (!removed.ok) {
        report(removed.message);
        return false;
    }
    solution_->rebuild(workspace_);
    return true;
}

bool CMainFrame::renameEntry(QTreeWidgetItem* item, const QString& newName) {
    if (!item)
        return false;
    const int group = item->data(0, CSolutionPane::GroupRole).toInt();
    if (group == CSolutionPane::RootItem) {
        const Outcome renamed = workspace_.renameProject(newName);
        if (!renamed.ok)
            report(renamed.message);
        return renamed.ok;
    }
    if (group != int(Group::Pages))
        return false; // groups and other files keep their names
    const QString relative = item->data(0, CSolutionPane::PathRole).toString();
    const QString oldFile = QFileInfo(workspace_.absolute(relative)).absoluteFilePath();
    QString newRelative, message;
    const RenameResult result = workspace_.renamePage(relative, newName, newRelative, message);
    if (result == RenameResult::Unchanged)
        return true;
    if (result != RenameResult::Renamed) {
        report(message);
        return false;
    }
    const QString newFile = QFileInfo(workspace_.absolute(newRelative)).absoluteFilePath();
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (sub->widget()->property("file").toString() == oldFile) {
            sub->widget()->setProperty("file", newFile);
            if (auto* page = qobject_cast<CPageFrame*>(sub->widget()))
                page->setFile(newFile);
            sub->setWindowTitle(newName);
        }
    }
    solution_->rebuild(workspace_);
    return true;
}

bool CMainFrame::backupTo(const QString& parent) {
    QString target;
    const Outcome done = workspace_.backup(parent, QDateTime::currentDateTime(), target);
    if (!done.ok) {
        report(done.message);
        return false;
    }
    status_->setText(ideText(sid::BackupDone).arg(target));
    return true;
}

bool CMainFrame::openDropped(const QList<QUrl>& urls) {
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && isProjectFile(url.toLocalFile()))
            return openProject(url.toLocalFile());
    }
    return false;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile() && isProjectFile(url.toLocalFile())) {
            event->acceptProposedAction();
            return;
        }
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    if (openDropped(event->mimeData()->urls()))
        event->acceptProposedAction();
}

void CMainFrame::treeCommand(int id, QTreeWidgetItem* item) {
    switch (id) {
    case cmd::TreeAdd: {
        const QString filter =
            QStringLiteral("%1(*.tft);;%2(*.bmp *.jpg *.jpeg *.gif *.png *.wmf);;%3(*.wav)")
                .arg(ideText(sid::PageFiles), ideText(sid::ImageFiles), ideText(sid::SoundFiles));
        const QStringList files = QFileDialog::getOpenFileNames(this, ideText(sid::AddFiles),
                                                                workspace_.folder(), filter);
        if (!files.isEmpty())
            addFiles(files);
        break;
    }
    case cmd::TreeOpen:
        openTreeItem(item);
        break;
    case cmd::TreeRemove:
        removeEntry(item);
        break;
    case cmd::TreeRename: {
        bool ok = false;
        const QString current =
            item->data(0, CSolutionPane::GroupRole).toInt() == CSolutionPane::RootItem
                ? workspace_.projectName()
                : ProjectWorkspace::pageName(item->text(0));
        const QString name =
            QInputDialog::getText(this, ideText(sid::TreeRename), ideText(sid::RenamePrompt),
                                  QLineEdit::Normal, current, &ok);
        if (ok)
            renameEntry(item, name.trimmed());
        break;
    }
    default:
        break;
    }
}

void CMainFrame::openTreeItem(QTreeWidgetItem* item) {
    if (!item)
        return;
    const int group = item->data(0, CSolutionPane::GroupRole).toInt();
    const QString entry = item->data(0, CSolutionPane::PathRole).toString();
    if (group == int(Group::Pages))
        openDocument(workspace_.absolute(entry));
    else if (group == int(Group::Code))
        openDocument(workspace_.outputFolder() + entry);
    else if (group == int(Group::Images) || group == int(Group::Sounds))
        QDesktopServices::openUrl(QUrl::fromLocalFile(workspace_.absolute(entry)));
}

void CMainFrame::locateLine(const QString& line) {
    const LocateTarget target = parseLocateLine(line);
    if (!target.valid || !workspace_.isOpen())
        return;
    const QString file = locatePageFile(workspace_, target.page);
    QMdiSubWindow* sub = file.isEmpty() ? nullptr : openDocument(file);
    auto* page = sub ? qobject_cast<CPageFrame*>(sub->widget()) : nullptr;
    if (!page || !target.hasItem)
        return;
    // The named shape alone; a name the page lacks leaves nothing selected.
    if (!page->selectShape(target.item)) {
        page->document().clearSelection();
        emit page->selectionChanged();
    }
}

void CMainFrame::find(const QString& text) {
    if (text.isEmpty())
        return;
    findCombo_->remember(text);
    FindOptions options = findOptions_;
    if (!askFindOptions || !askFindOptions(options))
        return;
    findOptions_ = options;
    panes_.value(sid::PaneFind)->show();
    panes_.value(sid::PaneFind)->raise();
    findPane_->clear();
    std::vector<OpenPage> open;
    int active = -1;
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (auto* page = qobject_cast<CPageFrame*>(sub->widget())) {
            if (sub == mdi_->activeSubWindow())
                active = int(open.size());
            open.push_back({sub->windowTitle(), page->file(), &page->document()});
        }
    }
    findPane_->setLines(CFindManager::instance().find(text, options, open, active, &workspace_));
}

void CMainFrame::refreshResources() {
    if (!workspace_.isOpen()) {
        resources_->clear();
        return;
    }
    const DeviceProp* device = workspace_.device();
    const QString problem = resources_->load(workspace_.outputBase() + QStringLiteral(".tftres"),
                                             device ? int(device->FlashSizeOfRes) : 0);
    if (!problem.isEmpty())
        output_->appendLine(problem);
}

void CMainFrame::openTool(int id) {
    QString name;
    if (id == cmd::FontGenerator)
        name = QStringLiteral("glyphorn");
    else if (id == cmd::FontViewer)
        name = QStringLiteral("glimmett");
    else
        name = QStringLiteral("tessary");
    if (!launch(name, {}))
        report(ideText(sid::CannotStart).arg(programPath(appDir_, name)));
}

void CMainFrame::reloadCatalogue() {
    catalogue_ = DeviceCatalogue::load(catalogueFile(appDir_.toStdString()));
}

void CMainFrame::runCommand(int id) {
    if (id >= cmd::PaneFirst && id < cmd::PaneFirst + 7) {
        panes_.value(id)->show();
        panes_.value(id)->raise();
        return;
    }
    switch (id) {
    case cmd::NewProject: {
        CNewProjectDlg dialog(
            catalogue_,
            store_->value(QStringLiteral("Settings/LastFolder"), QDir::homePath()).toString(),
            this);
        if (dialog.exec() == QDialog::Accepted && dialog.device())
            createProject(dialog.folder(), dialog.projectName(), dialog.device()->TypeID);
        break;
    }
    case cmd::OpenProject: {
        const QString file =
            QFileDialog::getOpenFileName(this, ideText(sid::OpenProject), QString(),
                                         ideText(sid::ProjectFiles) + QStringLiteral("(*.tftprj)"));
        if (!file.isEmpty())
            openProject(file);
        break;
    }
    case cmd::OpenProjectFolder:
        if (workspace_.isOpen())
            QDesktopServices::openUrl(QUrl::fromLocalFile(workspace_.folder()));
        break;
    case cmd::NewPage:
        newPage();
        break;
    case cmd::OpenPage: {
        const QString filter = QStringLiteral("%1(*.tft)").arg(ideText(sid::PageFiles));
        const QString file =
            QFileDialog::getOpenFileName(this, ideText(sid::OpenPage), workspace_.folder(), filter);
        if (!file.isEmpty())
            openDocument(file);
        break;
    }
    case cmd::SaveProject:
        saveAll();
        break;
    case cmd::BackupProject: {
        const QString parent = QFileDialog::getExistingDirectory(this, ideText(sid::BackupProject));
        if (!parent.isEmpty())
            backupTo(parent);
        break;
    }
    case cmd::CloseProject:
        closeProject();
        break;
    case cmd::CompileProject:
    case cmd::CompilePage:
    case cmd::RunSimulator:
    case cmd::Download:
        startBuild(id);
        break;
    case cmd::InstructionConsole:
        console_->showAssistant();
        break;
    case cmd::SyncDisplay:
        settings_.syncDisplay = actions_.value(id)->isChecked() ? 1 : 0;
        updateSyncCommand();
        synchroniseActivePage();
        break;
    case cmd::DownloadWizard:
    case cmd::DownloadWay:
    case cmd::UpdatePictures:
        openDownloadDialog(id);
        break;
    case cmd::FirmwareEncrypt:
    case cmd::FirmwareDecrypt:
        convertFirmware(id == cmd::FirmwareEncrypt);
        break;
    case cmd::ShowIds:
        settings_.showId = actions_.value(id)->isChecked() ? 1 : 0;
        for (CPageFrame* page : pages())
            page->view()->setShowIds(settings_.showId != 0);
        break;
    case cmd::ProjectSettings:
        runCommand(sid::PaneProperties);
        properties_->showProject();
        break;
    case cmd::Find:
        // Ctrl+F: into the find combo; Enter there searches.
        bar(QStringLiteral("Find"))->show();
        findCombo_->setFocus(Qt::ShortcutFocusReason);
        findCombo_->lineEdit()->selectAll();
        break;
    case cmd::FindText:
        find(findCombo_->currentText());
        break;
    case cmd::ManageLibrary:
    case cmd::ImportPictures:
    case cmd::DeletePicture:
        pictures_->runCommand(id);
        break;
    case cmd::Undo:
    case cmd::Redo:
        if (COrvaneView* view = activeView())
            view->runCommand(id);
        else if (QMdiSubWindow* sub = mdi_->currentSubWindow())
            if (auto* editor = qobject_cast<QPlainTextEdit*>(sub->widget()))
                id == cmd::Undo ? editor->undo() : editor->redo();
        updateCommandStates();
        break;
    case cmd::LockObjects:
        designerLocked_ = actions_.value(id)->isChecked();
        for (CPageFrame* page : pages())
            page->view()->setLocked(designerLocked_);
        break;
    case cmd::ImageEditor: {
        QTreeWidgetItem* item = solution_->currentItem();
        const bool picture =
            item && item->data(0, CSolutionPane::GroupRole).toInt() == int(Group::Images);
        const QString target =
            picture ? workspace_.absolute(item->data(0, CSolutionPane::PathRole).toString())
                    : workspace_.folder();
        if (!target.isEmpty())
            QDesktopServices::openUrl(QUrl::fromLocalFile(target));
        break;
    }
    case cmd::Calculator: {
        const QString calculator = findCalculator();
        if (calculator.isEmpty() || !QProcess::startDetached(calculator, {}))
            report(ideText(sid::NoCalculator));
        break;
    }
    case cmd::FontGenerator:
    case cmd::FontViewer:
    case cmd::ModbusConfig:
        openTool(id);
        break;
    case cmd::QuickStart: {
        const QString guide = QDir(appDir_).filePath(QStringLiteral("docs/guide.md"));
        if (!QFileInfo::exists(guide) || !QDesktopServices::openUrl(QUrl::fromLocalFile(guide)))
            report(ideText(sid::NoGuide).arg(guide));
        break;
    }
    case cmd::LanguageChinese:
    case cmd::LanguageEnglish:
        setLanguage(id);
        break;
    case cmd::RestoreLayout:
        restoreDefaultLayout();
        break;
    case cmd::FontConfig: {
        CFontOptionsDlg dialog(appDir_.toStdString(), this);
        if (dialog.exec() == QDialog::Accepted)
            reloadCatalogue();
        break;
    }
    case cmd::Exit:
        close();
        break;
    default:
        if (isDesignerCommand(id))
            designerCommand(id);
        break;
    }
}

void CMainFrame::writeSettings() {
    settings_.write(*store_);
    recent_.write(*store_);
    console_->writeSettings();
    store_->setValue(QLatin1String(kLayoutKey), saveState());
    store_->setValue(QLatin1String(kGeometryKey), saveGeometry());
    store_->sync();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!closeDocuments()) {
        event->ignore();
        return;
    }
    writeSettings();
    worker_->stop();
    event->accept();
}

} // namespace tft::ide

namespace tft::ide {

// --- The page designer: commands go to the active page's view. ---

QList<CPageFrame*> CMainFrame::pages() const {
    QList<CPageFrame*> list;
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* page = qobject_cast<CPageFrame*>(sub->widget()))
            list << page;
    return list;
}

COrvaneView* CMainFrame::activeView() const {
    QMdiSubWindow* sub = mdi_->currentSubWindow();
    auto* page = sub ? qobject_cast<CPageFrame*>(sub->widget()) : nullptr;
    return page ? page->view() : nullptr;
}

void CMainFrame::preparePage(CPageFrame& page) {
    // The screen as the panel holds it (rotated models swapped), and the
    // system fonts its model has, so the page draws as the panel will.
    page.document().setScreenSize(projectScreenSize(workspace_));
    RenderContext context;
    context.projectDir = workspace_.folder();
    context.appDir = appDir_;
    if (const DeviceProp* device = workspace_.device())
        context.fontMask = static_cast<std::uint32_t>(device->SystemFontMask);
    page.setRenderContext(context);
    page.askSave = [this](const QString& name) { return askSave(name); };
    page.reportError = [this](const QString& message) { report(message); };
    COrvaneView* view = page.view();
    // Pictures dragged from the picture browser become Image shapes.
    view->canDrop = [](const QMimeData* mime) { return !pictureFromMimeData(mime).isEmpty(); };
    view->drop = [this, &page](const QMimeData* mime, QPoint at) {
        QString error;
        const QString picture = pictureFromMimeData(mime);
        if (dropPicture(workspace_, page.document(), at, picture, &error)) {
            solution_->rebuild(workspace_);
            emit page.selectionChanged();
            return true;
        }
        report(ideText(sid::DropFailed).arg(picture, error));
        return false;
    };
    view->setLocked(designerLocked_);
    view->setShowIds(settings_.showId != 0);
    connect(&page, &CPageFrame::statusText, status_, &QLabel::setText);
    connect(view, &COrvaneView::zoomChanged, this,
            [this](int percent) { status_->setText(ideText(sid::ZoomLevel).arg(percent)); });
    connect(&page, &CPageFrame::message, this, &CMainFrame::report);
    connect(&page, &CPageFrame::pageChanged, this, &CMainFrame::updateDesignerCommands);
    // Queued, as a posted notification: the edit completes before the page is saved.
    connect(
        &page, &CPageFrame::pageChanged, this,
        [this, frame = &page] {
            if (activeView() == frame->view())
                synchroniseActivePage();
        },
        Qt::QueuedConnection);
    connect(&page, &CPageFrame::selectionChanged, this, &CMainFrame::updateDesignerCommands);
    connect(view, &COrvaneView::toolChanged, this, &CMainFrame::updateDesignerCommands);
    connect(view, &COrvaneView::contextMenuRequested, this, [this](const QPoint& global) {
        updateDesignerCommands();
        QMenu menu(this);
        for (const int id : std::initializer_list<int>{
                 designer::Cut, designer::Copy, designer::Paste, designer::DeleteSelection, 0,
                 designer::OrderFirst + 2, designer::OrderFirst + 3, designer::OrderFirst,
                 designer::OrderFirst + 1, 0, designer::AlignFirst, designer::AlignFirst + 1,
                 designer::AlignFirst + 2, designer::AlignFirst + 3, 0, designer::CopyPagePicture,
                 designer::SavePagePicture, designer::AddPagePicture})
            if (id)
                menu.addAction(actions_.value(id));
            else
                menu.addSeparator();
        menu.exec(global);
    });
}

void CMainFrame::designerCommand(int id) {
    QMdiSubWindow* sub = mdi_->currentSubWindow();
    COrvaneView* view = activeView();
    if (!view) {
        // The clipboard commands also serve the C file editor.
        auto* editor = sub ? qobject_cast<QPlainTextEdit*>(sub->widget()) : nullptr;
        if (editor && id == designer::Cut)
            editor->cut();
        else if (editor && id == designer::Copy)
            editor->copy();
        else if (editor && id == designer::Paste)
            editor->paste();
        else if (editor && id == designer::SelectAll)
            editor->selectAll();
        return;
    }
    if (id == designer::AddPagePicture)
        addPagePicture(*view);
    else
        view->runCommand(id);
    updateDesignerCommands();
}

bool CMainFrame::addPagePicture(COrvaneView& view) {
    if (!workspace_.isOpen())
        return false;
    QTemporaryDir temporary;
    const QString file = temporary.filePath(activePageName() + QStringLiteral(".png"));
    if (!temporary.isValid() || !view.savePagePicture(file)) {
        report(ideText(sid::PagePictureFailed).arg(file));
        return false;
    }
    const ProjectWorkspace::Added added = workspace_.addFiles({file});
    solution_->rebuild(workspace_);
    if (!added.problems.isEmpty())
        report(added.problems.join(QLatin1Char('\n')));
    return !added.entries.isEmpty();
}

void CMainFrame::updateDesignerCommands() {
    const COrvaneView* view = activeView();
    QMdiSubWindow* sub = mdi_->currentSubWindow();
    const bool editor = sub && qobject_cast<QPlainTextEdit*>(sub->widget());
    for (const CommandInfo& info : designerCommands()) {
        QAction* action = actions_.value(info.id);
        const bool clipboard = info.id == designer::Cut || info.id == designer::Copy ||
                               info.id == designer::Paste || info.id == designer::SelectAll;
        action->setEnabled(view ? view->isCommandEnabled(info.id) : editor && clipboard);
    }
    if (view) {
        actions_.value(cmd::Undo)->setEnabled(view->isCommandEnabled(designer::Undo));
        actions_.value(cmd::Redo)->setEnabled(view->isCommandEnabled(designer::Redo));
        actions_.value(view->tool())->setChecked(true);
        actions_.value(designer::Grid)->setChecked(view->showsGrid());
    } else {
        actions_.value(cmd::Undo)->setEnabled(editor);
        actions_.value(cmd::Redo)->setEnabled(editor);
    }
}

} // namespace tft::ide
