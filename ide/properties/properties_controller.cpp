#include "properties_controller.h"

#include "action_list_dialog.h"
#include "open_project.h"
#include "page_document.h"
#include "properties_pane.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>

namespace tft::ide {

QSize projectScreenSize(const ProjectWorkspace& workspace) {
    const DeviceProp* device = workspace.isOpen() ? workspace.device() : nullptr;
    if (!device || device->ScreenResolutionWidth <= 0 || device->ScreenResolutionHeight <= 0)
        return {800, 480};
    QSize size(device->ScreenResolutionWidth, device->ScreenResolutionHeight);
    if (workspace.document().document_element().attribute("DeviceScreenRvs").as_int() & 1)
        size.transpose();
    return size;
}

CPropertiesController::CPropertiesController(CPropertiesPane* pane, ProjectWorkspace& workspace,
                                             const DeviceCatalogue& catalogue,
                                             const QString& appDir, QObject* parent)
    : QObject(parent), pane_(pane), workspace_(workspace), catalogue_(catalogue), appDir_(appDir),
      paneGuard_(pane) {
    fonts_ = loadFontList(appDir_ + QStringLiteral("/font/fonts.xml"));
    const ContextSource source = [this] { return context(); };
    project_ = std::make_unique<ProjectOwner>(workspace_, source);
    pane_->chooseColour = [pane](const QColor& current) {
        return QColorDialog::getColor(current, pane);
    };
    pane_->chooseFont = [pane](QFont& font) {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, font, pane);
        if (ok)
            font = chosen;
        return ok;
    };
    pane_->chooseFile = [pane, this](const QString& filter) {
        // The dialog separates the patterns of a filter with blanks.
        QString patterns = filter;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        return QFileDialog::getOpenFileName(pane, QString(), workspace_.folder(), patterns);
    };
    pane_->importFile = [this](const QString& file, QString* reason) {
        return importFile(file, reason);
    };
    pane_->editActions = [pane](QString& actions) {
        CActionListDialog dialog(actions, pane);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        actions = dialog.text();
        return true;
    };
    pane_->changed = [this](const std::string& name) { onChanged(name); };
}

CPropertiesController::~CPropertiesController() {
    // The pane may go first when the window is torn down.
    if (QPointer<CPropertiesPane> pane = paneGuard_)
        pane->showOwner(nullptr);
}

FillContext CPropertiesController::context() const {
    FillContext context;
    context.language = language_;
    if (workspace_.isOpen()) {
        for (const QString& page : workspace_.entries(Group::Pages))
            context.pageNames.push_back(ProjectWorkspace::pageName(page).toStdString());
        if (const DeviceProp* device = workspace_.device())
            context.fonts = fontsForMask(fonts_, std::uint32_t(device->SystemFontMask));
    }
    for (std::size_t i = 0; i < catalogue_.count(); ++i)
        context.devices.push_back({catalogue_.at(i).typeNameUtf8(), catalogue_.at(i).TypeID});
    return context;
}

void CPropertiesController::attachPage(QObject* frame, PageDocument* page) {
    if (frame_)
        disconnect(frame_, nullptr, this, nullptr);
    frame_ = frame;
    page_ = frame ? page : nullptr;
    const ContextSource source = [this] { return context(); };
    if (page_) {
        shapes_ = std::make_unique<ShapeSelectionOwner>(*page_, source);
        pageOwner_ = std::make_unique<PageOwner>(*page_, source);
        // By name: the frame's class lives in the shell above this library.
        connect(frame_, SIGNAL(selectionChanged()), this, SLOT(selectionChanged()));
        connect(frame_, SIGNAL(pageChanged()), this, SLOT(pageChanged()));
        connect(frame_, &QObject::destroyed, this, [this] { attachPage(nullptr, nullptr); });
    }
    // The project stays shown until the selection changes; it needs no page.
    if (showing_ != Showing::Project)
        showCurrent();
    if (!page_) {
        shapes_.reset();
        pageOwner_.reset();
    }
}

void CPropertiesController::showProject() {
    showing_ = Showing::Project;
    pane_->showOwner(workspace_.isOpen() ? project_.get() : nullptr);
}

void CPropertiesController::projectChanged() {
    if (showing_ == Showing::Project)
        showing_ = Showing::Nothing;
    showCurrent();
}

void CPropertiesController::setLanguage(int language) {
    language_ = language;
    pane_->retranslate();
    pane_->refresh();
}

void CPropertiesController::selectionChanged() {
    showing_ = Showing::Nothing;
    showCurrent();
}

void CPropertiesController::pageChanged() {
    if (showing_ == Showing::Project)
        return;
    showCurrent();
}

void CPropertiesController::showCurrent() {
    if (page_ && !page_->selection().empty()) {
        showing_ = Showing::Shapes;
        if (pane_->owner() == shapes_.get())
            pane_->refresh();
        else
            pane_->showOwner(shapes_.get());
    } else if (page_) {
        showing_ = Showing::Page;
        if (pane_->owner() == pageOwner_.get())
            pane_->refresh();
        else
            pane_->showOwner(pageOwner_.get());
    } else {
        showing_ = Showing::Nothing;
        pane_->showOwner(nullptr);
    }
}

void CPropertiesController::onChanged(const std::string& name) {
    if (showing_ == Showing::Project) {
        emit projectEdited(QString::fromStdString(name));
        return;
    }
    // Page attributes are not shapes: the frame's views learn of them here.
    if (showing_ == Showing::Page && frame_)
        QMetaObject::invokeMethod(frame_, "pageChanged");
}

QString CPropertiesController::importFile(const QString& file, QString* reason) {
    if (!workspace_.isOpen())
        return {};
    const QString root = QFileInfo(workspace_.folder()).canonicalFilePath() + QLatin1Char('/');
    const QString canonical = QFileInfo(file).canonicalFilePath();
    const ProjectWorkspace::Added added = workspace_.addFiles({file});
    if (!added.entries.isEmpty())
        return added.entries.front();
    // Already an entry of the project: its own relative path.
    if (!canonical.isEmpty() && canonical.startsWith(root))
        return canonical.mid(root.size()).replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (reason)
        *reason = added.problems.join(QLatin1Char('\n'));
    return {};
}

} // namespace tft::ide
