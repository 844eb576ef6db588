#include "output_pane.h"

namespace tft::ide {

COutputPane::COutputPane(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("OutputList"));
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (locate)
            locate(item->text());
    });
}

void COutputPane::appendLine(const QString& line) {
    addItem(line);
    scrollToBottom();
}

QStringList COutputPane::lines() const {
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << item(i)->text();
    return out;
}

} // namespace tft::ide
