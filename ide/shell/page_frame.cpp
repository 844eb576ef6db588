#include "page_frame.h"

#include "open_project.h"
#include "string_table.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tft::ide {

CPageFrame::CPageFrame(const QString& file, QWidget* parent)
    : QWidget(parent), file_(file), label_(new QLabel(this)) {
    setObjectName(QStringLiteral("PageFrame"));
    label_->setAlignment(Qt::AlignCenter);
    label_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    retranslate();
}

void CPageFrame::setFile(const QString& file) {
    file_ = file;
    retranslate();
}

void CPageFrame::retranslate() {
    label_->setText(ideText(sid::DesignerPending).arg(ProjectWorkspace::pageName(file_)));
}

} // namespace tft::ide
