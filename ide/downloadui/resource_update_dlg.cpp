#include "resource_update_dlg.h"

#include "device_link.h"
#include "project_job.h"
#include "string_table.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace tft::ide {

namespace {

const int kColumnWidths[] = {70, 80, 70, 70, 70, 200};

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

CResourceUpdateDlg::CResourceUpdateDlg(DeviceLink& link, DownloadPort port, QWidget* parent)
    : QDialog(parent), link_(link), port_(std::move(port)) {
    setObjectName(QStringLiteral("ResourceUpdateDialog"));
    setWindowTitle(ideText(sid::UpdatePictures));
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    list_ = new QTableWidget(0, 6, this);
    list_->setObjectName(QStringLiteral("ImageIndexList"));
    list_->setHorizontalHeaderLabels(ideText(sid::UpdateColumns).split(QLatin1Char(';')));
    // The widths the user knows, widened where this font needs more room
    // for a full address.
    const int addressWidth =
        list_->fontMetrics().horizontalAdvance(QStringLiteral("0x00000000")) + 16;
    for (int c = 0; c < 6; ++c)
        list_->setColumnWidth(c, c == AddressColumn ? std::max(kColumnWidths[c], addressWidth)
                                                    : kColumnWidths[c]);
    list_->setWordWrap(false);
    list_->setTextElideMode(Qt::ElideMiddle); // the ends of a path say most
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 8);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setShowGrid(true);
    list_->setMinimumSize(600, 260);
    connect(list_, &QTableWidget::itemChanged, this, &CResourceUpdateDlg::rowChecked);
    layout->addWidget(list_);

    auto* row = new QHBoxLayout;
    request_ = new QPushButton(ideText(sid::RequestImageIndex), this);
    request_->setObjectName(QStringLiteral("RequestIndex"));
    request_->setAutoDefault(false);
    connect(request_, &QPushButton::clicked, this, [this] { requestIndex(); });
    row->addWidget(request_);
    row->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &CResourceUpdateDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    row->addWidget(buttons);
    layout->addLayout(row);

    // The reply is cut on the worker's thread; the list belongs to this one.
    connect(&link_, &DeviceLink::imageIndexReceived, this, &CResourceUpdateDlg::indexReceived,
            Qt::QueuedConnection);

    busyTimer_ = new QTimer(this);
    busyTimer_->setInterval(kBusyPollMs);
    connect(busyTimer_, &QTimer::timeout, this, &CResourceUpdateDlg::refreshButtons);
    busyTimer_->start();
    refreshButtons();

    replyTimer_ = new QTimer(this);
    replyTimer_->setSingleShot(true);
    replyTimer_->setInterval(kReplyWaitMs);
    connect(replyTimer_, &QTimer::timeout, this, [this] { showRecords({}); });

    askPicture = [this] {
        const QString filter =
            ideText(sid::PictureFilter) + QStringLiteral(" (*.bmp *.jpg *.jpeg *.gif *.wmf *.png)");
        return QFileDialog::getOpenFileName(this, ideText(sid::ChoosePicture), QString(), filter);
    };
    showMessage = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
}

void CResourceUpdateDlg::message(const QString& text) {
    if (showMessage)
        showMessage(text);
}

void CResourceUpdateDlg::refreshButtons() {
    const bool busy = port_.busy && port_.busy();
    request_->setEnabled(!busy);
    ok_->setEnabled(!busy);
}

bool CResourceUpdateDlg::requestIndex() {
    if (!link_.isOpen()) {
        message(ideText(sid::OpenPortFirst));
        return false;
    }
    if (!link_.request(kImageIndexRequest, ideText(sid::RequestImageIndex).toStdString()))
        return false;
    replyTimer_->start();
    return true;
}

void CResourceUpdateDlg::indexReceived(const QByteArray& frame) {
    replyTimer_->stop();
    showRecords(parseImageIndex(frame));
}

void CResourceUpdateDlg::showRecords(const std::vector<ImageRecord>& records) {
    records_ = records;
    filling_ = true;
    list_->setRowCount(0);
    list_->setRowCount(int(records.size()));
    for (int row = 0; row < int(records.size()); ++row) {
        const ImageRecord& r = records[std::size_t(row)];
        auto* id = cell(QString::number(r.id));
        id->setFlags(id->flags() | Qt::ItemIsUserCheckable);
        id->setCheckState(Qt::Unchecked);
        list_->setItem(row, IdColumn, id);
        list_->setItem(row, AddressColumn, cell(QString::asprintf("0x%08X", r.address)));
        list_->setItem(row, WidthColumn, cell(QString::number(r.width)));
        list_->setItem(row, HeightColumn, cell(QString::number(r.height)));
        list_->setItem(row, SizeColumn, cell(QString::number(r.size)));
        list_->setItem(row, PictureColumn, cell(QString()));
    }
    filling_ = false;
    // A reply nobody asked for here (the console sends EE F3 too) only
    // refreshes a hidden list.
    if (records.empty() && isVisible()) {
        message(ideText(sid::ImageIndexFailed));
        if (port_.showInstructions)
            port_.showInstructions();
    }
}

void CResourceUpdateDlg::rowChecked(QTableWidgetItem* item) {
    if (filling_ || !item || item->column() != IdColumn)
        return;
    const int row = item->row();
    QTableWidgetItem* picture = list_->item(row, PictureColumn);
    if (!picture)
        return;
    const bool checked = item->checkState() == Qt::Checked;
    if (checked == !picture->text().isEmpty())
        return; // nothing changed but the text or selection
    filling_ = true;
    if (!checked) {
        picture->setText(QString());
    } else {
        const QString chosen = askPicture ? askPicture() : QString();
        if (chosen.isEmpty()) {
            item->setCheckState(Qt::Unchecked);
        } else if (!QImageReader(chosen).canRead()) {
            // A picture that does not decode would fail its row when sent.
            item->setCheckState(Qt::Unchecked);
            message(ideText(sid::ImageUnreadable).arg(QDir::toNativeSeparators(chosen)));
        } else {
            picture->setText(QDir::toNativeSeparators(chosen));
        }
    }
    filling_ = false;
}

std::vector<ImageReplacement> CResourceUpdateDlg::replacements() const {
    std::vector<ImageReplacement> out;
    for (int row = 0; row < list_->rowCount() && row < int(records_.size()); ++row) {
        const QTableWidgetItem* id = list_->item(row, IdColumn);
        const QTableWidgetItem* picture = list_->item(row, PictureColumn);
        if (!id || !picture || id->checkState() != Qt::Checked || picture->text().isEmpty())
            continue;
        const ImageRecord& r = records_[std::size_t(row)];
        ImageReplacement replacement;
        replacement.id = r.id;
        replacement.address = r.address;
        replacement.width = r.width;
        replacement.height = r.height;
        replacement.picture = picture->text().toStdString();
        out.push_back(std::move(replacement));
    }
    return out;
}

void CResourceUpdateDlg::accept() {
    DownloadRequest request;
    request.bits = job::SingleImage;
    request.job.replacements = replacements();
    if (request.job.replacements.empty()) {
        message(ideText(sid::NoPictureChosen));
        return;
    }
    if (!port_.submit || !port_.submit(request)) {
        message(ideText(sid::JobBusy));
        return;
    }
    QDialog::accept();
}

} // namespace tft::ide
