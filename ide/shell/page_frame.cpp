#include "page_frame.h"

#include "open_project.h"
#include "string_table.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tft::ide {

CPageFrame::CPageFrame(const QString& file, QWidget* parent)
    : QWidget(parent), file_(file), document_(std::make_unique<PageDocument>()),
      label_(new QLabel(this)) {
    setObjectName(QStringLiteral("PageFrame"));
    label_->setAlignment(Qt::AlignCenter);
    label_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    document_->onModifiedChanged = [this](bool modified) { emit modifiedChanged(modified); };
    document_->onShapesChanged = [this] { emit pageChanged(); };
    retranslate();
}

CPageFrame::~CPageFrame() = default;

void CPageFrame::setFile(const QString& file) {
    file_ = file;
    retranslate();
}

void CPageFrame::retranslate() {
    label_->setText(ideText(sid::DesignerPending).arg(ProjectWorkspace::pageName(file_)));
}

bool CPageFrame::load(QString* error) {
    std::string reason;
    const bool ok = document_->load(file_.toStdString(), &reason);
    if (!ok && error)
        *error = QString::fromStdString(reason);
    emit pageChanged();
    emit selectionChanged();
    return ok;
}

bool CPageFrame::save(QString* error) {
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
            emit selectionChanged();
            return true;
        }
    }
    return false;
}

} // namespace tft::ide
