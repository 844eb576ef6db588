// The viewer dialog: cell settings, open/close, and the glyph table.
#pragma once

#include "font_list_ctrl.h"
#include "fonttools/glyph_file.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tft::fonttools {

class CGlimmettDlg : public QDialog, public IDrawCell {
    Q_OBJECT
public:
    explicit CGlimmettDlg(QWidget* parent = nullptr);

    // Closes any open file, then opens `path`; false leaves nothing open. Only
    // regular files are opened: a FIFO or a device would block or never end,
    // and is refused with a notice.
    bool openFile(const QString& path);
    void closeFile();
    bool isFileOpen() const { return file_.isOpen(); }

    CellLayout layout() const { return layout_; }
    int rowCount() const { return list_->rows(); }
    // "0x%04X" of the row's first glyph index.
    static QString addressText(int row);
    // The font of the address column.
    static QFont addressFont();
    // Rows a file can have at `layout`: those of the largest character set
    // (GBK); a longer file is no glyph file.
    static int maxRows(const CellLayout& layout);
    // What the viewer tells about the file (empty when all is well).
    QString notice() const;

    void drawCell(QPainter& painter, const QRect& rect, int row, int column) override;

    QComboBox* widthBox() const { return width_; }
    QComboBox* heightBox() const { return height_; }
    QRadioButton* verticalButton() const { return vertical_; }
    QCheckBox* msbFirstBox() const { return msbFirst_; }
    CFontListCtrl* list() const { return list_; }

private slots:
    void applySettings();
    void chooseFile();

private:
    void showNotice(const QString& text);

    QComboBox* width_ = nullptr;
    QComboBox* height_ = nullptr;
    QRadioButton* horizontal_ = nullptr;
    QRadioButton* vertical_ = nullptr;
    QCheckBox* msbFirst_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* close_ = nullptr;
    CFontListCtrl* list_ = nullptr;
    QLabel* notice_ = nullptr;
    GlyphFile file_;
    QString path_;
    CellLayout layout_;
    std::vector<std::uint8_t> cell_;
};

} // namespace tft::fonttools
