#include "page_frame.h"

#include "open_project.h"
#include "orvane_view.h"
#include "string_table.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace tft::ide {

CPageFrame::CPageFrame(const QString& file, QWidget* parent)
    : QWidget(parent), file_(file), document_(std::make_unique<PageDocument>()),
      view_(new COrvaneView(*document_, this)) {
    setObjectName(QStringLiteral("PageFrame"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setFocusProxy(view_);
    document_->onModifiedChanged = [this](bool modified) { emit modifiedChanged(modified); };
    document_->onShapesChanged = [this] {
        view_->refresh();
        emit pageChanged();
        checkSelection();
    };
    connect(view_, &COrvaneView::statusTextChanged, this, &CPageFrame::statusText);
    connect(view_, &COrvaneView::dragRefused, this,
            [this] { emit message(ideText(sid::PageLocked)); });
    askSave = [this](const QString& page) {
        return QMessageBox::question(
            this, ideText(sid::AppTitle), ideText(sid::SavePageQuestion).arg(page),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    };
    retranslate();
}

CPageFrame::~CPageFrame() {
    // The view and the callbacks refer to the document; they go first.
    document_->onModifiedChanged = nullptr;
    document_->onShapesChanged = nullptr;
    delete view_;
}

void CPageFrame::setFile(const QString& file) {
    file_ = file;
    retranslate();
}

void CPageFrame::retranslate() {
    setWindowTitle(ProjectWorkspace::pageName(file_));
}

void CPageFrame::setRenderContext(const RenderContext& context) {
    view_->setRenderContext(context);
}

bool CPageFrame::load(QString* error) {
    std::string reason;
    const bool ok = document_->load(file_.toStdString(), &reason);
    if (!ok && error)
        *error = QString::fromStdString(reason);
    emit pageChanged();
    selection_.clear();
    emit selectionChanged();
    return ok;
}

bool CPageFrame::save(QString* error) {
    view_->closeTextEditor(true); // text typed in place is part of the page
    std::string reason;
    const bool ok = document_->save(file_.toStdString(), &reason);
    if (!ok && error)
        *error = QString::fromStdString(reason);
    return ok;
}

bool CPageFrame::selectShape(const QString& name) {
    const std::string wanted = name.toStdString();
    const auto& shapes = document_->shapes();
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (shapes[i]->name() == wanted && !shapes[i]->isHidden()) {
            document_->select(int(i));
            return true;
        }
    }
    return false;
}

// Every path that changes the selection ends in the document's change
// notification; the selection is compared there, so clicks, bands, undo,
// paste and locate all announce it once.
void CPageFrame::checkSelection() {
    std::vector<std::pair<std::size_t, std::string>> now;
    const auto& shapes = document_->shapes();
    for (std::size_t i = 0; i < shapes.size(); ++i)
        if (shapes[i]->isSelected())
            now.emplace_back(i, shapes[i]->name());
    if (now == selection_)
        return;
    selection_ = std::move(now);
    emit selectionChanged();
}

void CPageFrame::closeEvent(QCloseEvent* event) {
    view_->closeTextEditor(true);
    if (!isModified() || !askSave) {
        event->accept();
        return;
    }
    switch (askSave(ProjectWorkspace::pageName(file_))) {
    case QMessageBox::Save: {
        QString error;
        if (!save(&error)) {
            if (reportError)
                reportError(ideText(sid::DocumentSaveFailed).arg(file_, error));
            event->ignore();
            return;
        }
        event->accept();
        return;
    }
    case QMessageBox::Discard:
        event->accept();
        return;
    default:
        event->ignore();
        return;
    }
}

} // namespace tft::ide
