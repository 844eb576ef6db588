#include "glimmett_dlg.h"

#include "fonttools/charset.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tft::fonttools {

CGlimmettDlg::CGlimmettDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Glimmett"));
    width_ = new QComboBox(this);
    height_ = new QComboBox(this);
    for (int s = 8; s <= 64; s += 8) {
        width_->addItem(QString::number(s));
        height_->addItem(QString::number(s));
    }
    width_->setCurrentIndex(1);
    height_->setCurrentIndex(1);
    horizontal_ = new QRadioButton(QStringLiteral("横向取模"), this);
    vertical_ = new QRadioButton(QStringLiteral("纵向取模"), this);
    horizontal_->setChecked(true);
    msbFirst_ = new QCheckBox(QStringLiteral("从bit7到bit0存放字节"), this);
    msbFirst_->setChecked(true);
    open_ = new QPushButton(QStringLiteral("打开字库..."), this);
    close_ = new QPushButton(QStringLiteral("关闭字库"), this);
    list_ = new CFontListCtrl(this, this);
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("notice"));
    notice_->setWordWrap(true);
    notice_->setStyleSheet(QStringLiteral("color: #a00000;"));
    notice_->hide();

    auto* settings = new QHBoxLayout;
    settings->addWidget(new QLabel(QStringLiteral("字模宽度"), this));
    settings->addWidget(width_);
    settings->addWidget(new QLabel(QStringLiteral("字模高度"), this));
    settings->addWidget(height_);
    settings->addWidget(horizontal_);
    settings->addWidget(vertical_);
    settings->addWidget(msbFirst_);
    settings->addStretch(1);
    settings->addWidget(open_);
    settings->addWidget(close_);
    auto* top = new QVBoxLayout(this);
    top->addLayout(settings);
    top->addWidget(notice_);
    top->addWidget(list_, 1);
    resize(CFontListCtrl::kAddressWidth + 16 * CFontListCtrl::kGlyphWidth + 40, 600);

    connect(width_, &QComboBox::currentIndexChanged, this, &CGlimmettDlg::applySettings);
    connect(height_, &QComboBox::currentIndexChanged, this, &CGlimmettDlg::applySettings);
    connect(horizontal_, &QRadioButton::toggled, this, &CGlimmettDlg::applySettings);
    connect(msbFirst_, &QCheckBox::toggled, this, &CGlimmettDlg::applySettings);
    connect(open_, &QPushButton::clicked, this, &CGlimmettDlg::chooseFile);
    connect(close_, &QPushButton::clicked, this, &CGlimmettDlg::closeFile);
    applySettings();
}

QString CGlimmettDlg::addressText(int row) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%04llX",
                  static_cast<unsigned long long>(row) * kGlyphsPerRow);
    return QString::fromLatin1(text);
}

QFont CGlimmettDlg::addressFont() {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(16);
    return font;
}

int CGlimmettDlg::maxRows(const CellLayout& layout) {
    const std::uint64_t largest =
        static_cast<std::uint64_t>(glyphCount(Charset::Gbk)) * layout.cellBytes();
    return static_cast<int>(viewerRowCount(largest, layout));
}

QString CGlimmettDlg::notice() const {
    return notice_->text();
}

void CGlimmettDlg::showNotice(const QString& text) {
    notice_->setText(text);
    notice_->setVisible(!text.isEmpty());
}

void CGlimmettDlg::applySettings() {
    layout_.width = 8 * width_->currentIndex() + 8;
    layout_.height = 8 * height_->currentIndex() + 8;
    layout_.scan = vertical_->isChecked() ? Scan::Vertical : Scan::Horizontal;
    layout_.msbFirst = msbFirst_->isChecked();
    if (!file_.isOpen()) {
        return;
    }
    // The view holds no more rows than the largest glyph file has: a longer
    // file is something else, and its row count would not fit the list.
    const int cap = maxRows(layout_);
    const std::uint64_t rows = viewerRowCount(file_.size(), layout_);
    const std::uint64_t largest =
        static_cast<std::uint64_t>(glyphCount(Charset::Gbk)) * layout_.cellBytes();
    if (file_.size() > largest) {
        showNotice(QStringLiteral("%1 有 %2 字节，比 %3×%4 字模的最大字库（GBK，%5 字节）还大，"
                                  "不是字库文件；只显示前 %6 行。")
                       .arg(QDir::toNativeSeparators(path_))
                       .arg(file_.size())
                       .arg(layout_.width)
                       .arg(layout_.height)
                       .arg(largest)
                       .arg(cap));
    } else {
        showNotice(QString());
    }
    const int shown =
        static_cast<int>(std::min<std::uint64_t>(rows, static_cast<std::uint64_t>(cap)));
    list_->setRowCount(shown);
    const int lastAddress = std::max(shown - 1, 0);
    list_->setAddressWidth(QFontMetrics(addressFont()).horizontalAdvance(addressText(lastAddress)) +
                           16);
    list_->redrawAll();
}

bool CGlimmettDlg::openFile(const QString& path) {
    closeFile();
    // Opening a FIFO waits for a writer; a device may never end. Only regular
    // files (or links to them) can be glyph files.
    std::error_code error;
    const std::filesystem::path native(path.toStdString());
    if (std::filesystem::exists(native, error) &&
        !std::filesystem::is_regular_file(native, error)) {
        showNotice(QStringLiteral("%1 不是普通文件，不能作为字库打开。")
                       .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    if (!file_.open(path)) {
        return false;
    }
    path_ = path;
    list_->setUpColumns();
    applySettings();
    return true;
}

void CGlimmettDlg::closeFile() {
    file_.close();
    path_.clear();
    showNotice(QString());
    list_->setRowCount(0);
}

void CGlimmettDlg::chooseFile() {
    const QString path = QFileDialog::getOpenFileName(this, QString(), QStringLiteral("字库"),
                                                      QStringLiteral("字库(*.bin)"));
    if (!path.isEmpty()) {
        openFile(path);
    }
}

void CGlimmettDlg::drawCell(QPainter& painter, const QRect& rect, int row, int column) {
    if (column == 0) {
        painter.setPen(Qt::black);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.setFont(addressFont());
        painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, addressText(row));
        return;
    }
    const std::uint64_t index =
        static_cast<std::uint64_t>(row) * kGlyphsPerRow + static_cast<std::uint64_t>(column - 1);
    if (!file_.readCell(index, layout_, cell_)) {
        return;
    }
    const int left = rect.left() + (rect.width() - layout_.width) / 2;
    const int top = rect.top() + (rect.height() - layout_.height) / 2;
    painter.setPen(Qt::black);
    for (int y = 0; y < layout_.height; ++y) {
        for (int x = 0; x < layout_.width; ++x) {
            if (layout_.pixel(cell_.data(), x, y)) {
                painter.drawPoint(left + x, top + y);
            }
        }
    }
}

} // namespace tft::fonttools
