#include "font_options_dlg.h"

#include "string_table.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tft::ide {

CFontOptionsDlg::CFontOptionsDlg(const std::filesystem::path& appDir, QWidget* parent)
    : QDialog(parent), appDir_(appDir),
      grid_(FontMaskGrid::load(appDir / "font" / "fonts.xml", catalogueFile(appDir))) {
    setObjectName(QStringLiteral("FontOptionsDialog"));
    setWindowTitle(ideText(sid::FontConfig));
    const int rows = int(grid_.fonts().size());
    const int columns = int(grid_.models().size());
    table_ = new QTableWidget(rows, columns + 1, this);
    QStringList headers{ideText(sid::FontGridCorner)};
    for (const auto& model : grid_.models())
        headers << model.name;
    table_->setHorizontalHeaderLabels(headers);
    table_->verticalHeader()->hide();
    for (int r = 0; r < rows; ++r) {
        auto* caption = new QTableWidgetItem(grid_.fonts()[std::size_t(r)].caption());
        caption->setFlags(Qt::ItemIsEnabled);
        table_->setItem(r, 0, caption);
        for (int c = 0; c < columns; ++c) {
            auto* box = new QTableWidgetItem;
            box->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            box->setCheckState(grid_.checked(std::size_t(r), std::size_t(c)) ? Qt::Checked
                                                                             : Qt::Unchecked);
            table_->setItem(r, c + 1, box);
        }
    }
    for (int c = 1; c <= columns; ++c)
        table_->setColumnWidth(c, 100);
    table_->resizeColumnToContents(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFontOptionsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(900, 480);
}

FontMaskGrid CFontOptionsDlg::grid() const {
    FontMaskGrid grid = grid_;
    for (int r = 0; r < table_->rowCount(); ++r)
        for (int c = 1; c < table_->columnCount(); ++c)
            grid.setChecked(std::size_t(r), std::size_t(c - 1),
                            table_->item(r, c)->checkState() == Qt::Checked);
    return grid;
}

std::filesystem::path CFontOptionsDlg::save(QString& error) const {
    const std::filesystem::path target = catalogueFileForWriting(appDir_);
    std::string message;
    if (!grid().save(catalogueFile(appDir_), target, message)) {
        error = ideText(sid::CatalogueSaveFailed).arg(QString::fromStdString(message));
        return {};
    }
    return target;
}

void CFontOptionsDlg::accept() {
    QString error;
    if (save(error).empty()) {
        QMessageBox::warning(this, windowTitle(), error);
        return;
    }
    QDialog::accept();
}

} // namespace tft::ide
