#include "new_project_dlg.h"

#include "string_table.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tft::ide {

QStringList deviceDetailLines(const CDeviceInfoProp& d) {
    const QStringList labels = ideText(sid::DeviceLabels).split(QLatin1Char('\n'));
    const auto yes = [](int v) { return ideText(v ? sid::Supported : sid::NotSupported); };
    QString flash = d.FlashSizeOfRes >= 1024
                        ? QString::asprintf("%.1f Gbit", d.FlashSizeOfRes / 1024.0)
                        : QString::asprintf("%d Mbit", d.FlashSizeOfRes);
    QString font = QString::asprintf("%d Mbit", d.FlashSizeOfFont);
    QString voltage;
    switch (d.Voltage) {
    case 5:
        voltage = QStringLiteral("5-26V");
        break;
    case 7:
        voltage = QStringLiteral("7.6-26V");
        break;
    case 9:
    case 12:
        voltage = QStringLiteral("9-26V");
        break;
    default:
        voltage = QStringLiteral("Unknown");
    }
    const QStringList values{
        QString::asprintf("%.1f", d.ScreenSize),
        QStringLiteral("%1*%2").arg(d.ScreenResolutionWidth).arg(d.ScreenResolutionHeight),
        font,
        flash,
        QStringLiteral("RS232/TTL UART"),
        d.ImageDownloadType ? QStringLiteral("SD Card") : QStringLiteral("UART"),
        voltage,
        yes(d.TouchPane),
        yes(d.SupportBuzzer),
        yes(d.SupportRTC),
        yes(d.SupportSDCard),
        yes(d.SupportKeyboard),
        yes(d.SupportAudio),
    };
    QStringList lines;
    for (int i = 0; i < values.size() && i < labels.size(); ++i)
        lines << labels[i].leftJustified(35) + values[i];
    return lines;
}

CNewProjectDlg::CNewProjectDlg(const DeviceCatalogue& catalogue, const QString& folder,
                               QWidget* parent)
    : QDialog(parent), catalogue_(catalogue) {
    setObjectName(QStringLiteral("NewProjectDialog"));
    setWindowTitle(ideText(sid::NewProject));
    name_ = new QLineEdit(this);
    folder_ = new QLineEdit(folder, this);
    auto* browse = new QPushButton(ideText(sid::Browse), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen =
            QFileDialog::getExistingDirectory(this, ideText(sid::ProjectLocation), folder_->text());
        if (!chosen.isEmpty())
            folder_->setText(chosen);
    });
    series_ = new QComboBox(this);
    series_->addItem(ideText(sid::SeriesAll), 0);
    for (int i = 0; i < 7; ++i)
        series_->addItem(ideText(sid::Series1 + i), i + 1);
    devices_ = new QListWidget(this);
    details_ = new QPlainTextEdit(this);
    details_->setReadOnly(true);
    details_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    connect(series_, &QComboBox::currentIndexChanged, this, [this] { fillDevices(); });
    connect(devices_, &QListWidget::currentRowChanged, this, [this] { showDetails(); });

    auto* where = new QHBoxLayout;
    where->addWidget(folder_);
    where->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow(ideText(sid::ProjectName), name_);
    form->addRow(ideText(sid::ProjectLocation), where);
    form->addRow(ideText(sid::Series), series_);
    auto* models = new QHBoxLayout;
    models->addWidget(devices_, 1);
    models->addWidget(details_, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CNewProjectDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(ideText(sid::DeviceModel), this));
    layout->addLayout(models);
    layout->addWidget(buttons);
    resize(760, 420);
    fillDevices();
}

void CNewProjectDlg::fillDevices() {
    const int series = series_->currentData().toInt();
    devices_->clear();
    for (std::size_t i = 0; i < catalogue_.count(); ++i) {
        const CDeviceInfoProp& d = catalogue_.at(i);
        if (series != 0 && d.Category != series)
            continue;
        auto* item = new QListWidgetItem(QString::fromStdString(d.typeNameUtf8()), devices_);
        item->setData(Qt::UserRole, int(i));
    }
    if (devices_->count() > 0)
        devices_->setCurrentRow(0);
    showDetails();
}

void CNewProjectDlg::showDetails() {
    const CDeviceInfoProp* d = device();
    details_->setPlainText(d ? deviceDetailLines(*d).join(QLatin1Char('\n')) : QString());
}

QString CNewProjectDlg::projectName() const {
    return name_->text().trimmed();
}

QString CNewProjectDlg::folder() const {
    return folder_->text().trimmed();
}

const CDeviceInfoProp* CNewProjectDlg::device() const {
    const QListWidgetItem* item = devices_->currentItem();
    if (!item)
        return nullptr;
    return &catalogue_.at(std::size_t(item->data(Qt::UserRole).toInt()));
}

void CNewProjectDlg::accept() {
    refusal_.clear();
    if (!device() || projectName().isEmpty() || folder().isEmpty())
        return;
    if (QFileInfo::exists(QDir(folder()).filePath(projectName()))) {
        refusal_ = ideText(sid::ProjectExists);
        if (isVisible() && !property("quiet").toBool())
            QMessageBox::warning(this, windowTitle(), refusal_);
        return; // the dialog stays open
    }
    QDialog::accept();
}

} // namespace tft::ide
