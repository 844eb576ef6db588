// CFontOptionsDlg: the system fonts of every model as a grid of check boxes;
// OK writes the masks back into the catalogue.
#pragma once

#include "font_config.h"

#include <QDialog>

class QTableWidget;

namespace tft::ide {

class CFontOptionsDlg : public QDialog {
public:
    CFontOptionsDlg(const std::filesystem::path& appDir, QWidget* parent = nullptr);
    QTableWidget* table() const { return table_; }
    // The grid with the ticks of the table.
    FontMaskGrid grid() const;
    // Writes the masks; the file written, or empty with `error`.
    std::filesystem::path save(QString& error) const;

    void accept() override;

private:
    std::filesystem::path appDir_;
    FontMaskGrid grid_;
    QTableWidget* table_;
};

} // namespace tft::ide
