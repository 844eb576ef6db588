#include "font_temp_dlg.h"

#include "font_preview_ctrl.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace tft::fonttools {

CFontTempDlg::CFontTempDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Glyphorn"));

    face_ = new QComboBox(this);
    face_->addItems(familyChoices(installedFamilies()));
    const int preferred = face_->findText(familyChoices({defaultFaceName()}).value(0));
    face_->setCurrentIndex(preferred >= 0 ? preferred : 0);

    size_ = new QComboBox(this);
    size_->setEditable(true);
    for (int s = 8; s <= 64; s += 8) {
        size_->addItem(QString::number(s));
    }
    size_->setValidator(new QIntValidator(1, 255, size_));
    size_->setCurrentText(QStringLiteral("16"));

    charset_ = new QComboBox(this);
    for (Charset set : {Charset::Ascii, Charset::Gb2312, Charset::Gbk}) {
        charset_->addItem(QLatin1String(charsetName(set)), static_cast<int>(set));
    }
    charset_->setCurrentIndex(1);

    cell_ = new QComboBox(this);
    for (int s = 8; s <= 64; s += 8) {
        cell_->addItem(QString::number(s));
    }
    cell_->setCurrentIndex(1);

    halfWidth_ = new QCheckBox(QStringLiteral("半宽"), this);
    halfWidth_->setEnabled(false);
    bold_ = new QCheckBox(QStringLiteral("加粗"), this);
    italic_ = new QCheckBox(QStringLiteral("倾斜"), this);
    horizontal_ = new QRadioButton(QStringLiteral("横向取模"), this);
    vertical_ = new QRadioButton(QStringLiteral("纵向取模"), this);
    horizontal_->setChecked(true);
    msbFirst_ = new QCheckBox(QStringLiteral("从bit7到bit0存放字节"), this);
    msbFirst_->setChecked(true);
    sample_ = new QLineEdit(QStringLiteral("ABC"), this);
    output_ = new QPlainTextEdit(this);
    output_->setReadOnly(true);
    copy_ = new QPushButton(QStringLiteral("复制字模"), this);
    generate_ = new QPushButton(QStringLiteral("生成字库..."), this);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->hide();
    preview_ = new CFontPreviewCtrl(this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("字体"), face_);
    form->addRow(QStringLiteral("字号"), size_);
    form->addRow(QStringLiteral("字符集"), charset_);
    form->addRow(QStringLiteral("字模大小"), cell_);
    auto* checks = new QHBoxLayout;
    checks->addWidget(halfWidth_);
    checks->addWidget(bold_);
    checks->addWidget(italic_);
    form->addRow(checks);
    auto* scan = new QHBoxLayout;
    scan->addWidget(horizontal_);
    scan->addWidget(vertical_);
    form->addRow(scan);
    form->addRow(msbFirst_);
    form->addRow(QStringLiteral("示例文字"), sample_);

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(output_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy_);
    buttons->addStretch(1);
    buttons->addWidget(generate_);
    left->addLayout(buttons);
    left->addWidget(progress_);

    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addWidget(preview_, 1);

    connect(charset_, &QComboBox::currentIndexChanged, this, &CFontTempDlg::onCharsetChanged);
    connect(face_, &QComboBox::currentIndexChanged, this, &CFontTempDlg::applySettings);
    connect(size_, &QComboBox::currentTextChanged, this, &CFontTempDlg::applySettings);
    connect(cell_, &QComboBox::currentIndexChanged, this, &CFontTempDlg::applySettings);
    for (QCheckBox* box : {halfWidth_, bold_, italic_, msbFirst_}) {
        connect(box, &QCheckBox::toggled, this, &CFontTempDlg::applySettings);
    }
    connect(horizontal_, &QRadioButton::toggled, this, &CFontTempDlg::applySettings);
    connect(sample_, &QLineEdit::textChanged, this, &CFontTempDlg::applySettings);
    connect(copy_, &QPushButton::clicked, this, &CFontTempDlg::copySample);
    connect(generate_, &QPushButton::clicked, this, &CFontTempDlg::chooseAndGenerate);
    connect(&runner_, &GenerationRunner::progress, progress_, &QProgressBar::setValue);
    connect(&runner_, &GenerationRunner::finished, this, &CFontTempDlg::onFinished);

    applySettings();
}

GenerationJob CFontTempDlg::currentSettings() const {
    GenerationJob job;
    job.font.family = face_->currentText();
    bool ok = false;
    const int size = size_->currentText().toInt(&ok);
    job.font.pixelSize = ok && size > 0 ? size : 16;
    job.font.bold = bold_->isChecked();
    job.font.italic = italic_->isChecked();
    job.charset = static_cast<Charset>(charset_->currentData().toInt());
    job.layout.height = 8 * cell_->currentIndex() + 8;
    job.layout.width = halfWidth_->isChecked() ? job.layout.height / 2 : job.layout.height;
    job.layout.scan = vertical_->isChecked() ? Scan::Vertical : Scan::Horizontal;
    job.layout.msbFirst = msbFirst_->isChecked();
    return job;
}

QStringList CFontTempDlg::familyChoices(const QStringList& families) {
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    QStringList choices;
    for (QString family : families) {
        family.remove(foundry);
        if (!family.isEmpty() && !family.contains(QLatin1Char('@')) && !choices.contains(family)) {
            choices.append(family);
        }
    }
    return choices;
}

QString CFontTempDlg::defaultFileName() const {
    const GenerationJob job = currentSettings();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) {
        folder = QDir::homePath();
    }
    return QStringLiteral("%1/%2_%3_%4.bin")
        .arg(folder, QLatin1String(charsetName(job.charset)))
        .arg(job.layout.width)
        .arg(job.layout.height);
}

QString CFontTempDlg::sampleText() const {
    return sample_->text();
}

QString CFontTempDlg::sampleOutput() const {
    return sampleOutput_;
}

void CFontTempDlg::onCharsetChanged() {
    const bool ascii = static_cast<Charset>(charset_->currentData().toInt()) == Charset::Ascii;
    {
        // One settings pass for the whole change, not one per box.
        const QSignalBlocker block(halfWidth_);
        halfWidth_->setChecked(ascii);
        halfWidth_->setEnabled(ascii);
    }
    applySettings();
}

void CFontTempDlg::applySettings() {
    const GenerationJob job = currentSettings();
    preview_->setFontFace(job.font);
    preview_->setCellSize(job.layout.width, job.layout.height);
    preview_->setPreviewText(sample_->text());
    // The edit box shows lines; the text kept (and copied) keeps its CR LF ends.
    sampleOutput_ = sampleArray(job.font, job.layout, sample_->text());
    output_->setPlainText(sampleOutput_);
}

void CFontTempDlg::copySample() {
    QApplication::clipboard()->setText(sampleOutput_);
}

void CFontTempDlg::requestGeneration(const QString& path) {
    GenerationJob job = currentSettings();
    job.path = path;
    progress_->setValue(0);
    progress_->show();
    runner_.request(job);
}

void CFontTempDlg::chooseAndGenerate() {
    const QString suggested = defaultFileName();
    QDir().mkpath(QFileInfo(suggested).absolutePath());
    const QString path =
        QFileDialog::getSaveFileName(this, QString(), suggested, QStringLiteral("字库(*.bin)"));
    if (path.isEmpty()) {
        return;
    }
    requestGeneration(path);
}

void CFontTempDlg::onFinished(bool ok, const QString& /*path*/, const QString& message) {
    if (!runner_.busy()) {
        progress_->hide();
    }
    if (!ok) {
        lastFailure_ = QStringLiteral("操作失败，文件已被打开！") + QStringLiteral("\n") + message;
        // Window-modal but not blocking: the worker's queue keeps running.
        auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), lastFailure_,
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
}

} // namespace tft::fonttools
