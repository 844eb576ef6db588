#include "setup_download_dlg.h"

#include "settings.h"
#include "string_table.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QSettings>
#include <QVBoxLayout>

namespace tft::ide {

namespace {

const QString kKey = QStringLiteral("Settings/DownloadOptions");

} // namespace

bool usbAllowed(int options) {
    return (options & 0xFFFF) != kDownloadSerialOnly;
}

CSetupDownloadDlg::CSetupDownloadDlg(QSettings* store, QWidget* parent)
    : QDialog(parent), store_(store), group_(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("SetupDownloadDialog"));
    setWindowTitle(ideText(sid::DownloadWay));
    auto* layout = new QVBoxLayout(this);
    const int texts[] = {sid::DownloadViaAuto, sid::DownloadViaSerial};
    for (int id = 0; id < 2; ++id) {
        auto* radio = new QRadioButton(ideText(texts[id]), this);
        radio->setObjectName(QStringLiteral("DownloadOption%1").arg(id));
        group_->addButton(radio, id);
        layout->addWidget(radio);
    }
    const int stored = store_ ? IdeSettings::read(*store_).downloadOptions : kDownloadAuto;
    QAbstractButton* current = group_->button(stored);
    (current ? current : group_->button(kDownloadAuto))->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int CSetupDownloadDlg::choice() const {
    return group_->checkedId() < 0 ? kDownloadAuto : group_->checkedId();
}

void CSetupDownloadDlg::accept() {
    if (store_) {
        store_->setValue(kKey, choice());
        store_->sync();
    }
    emit optionsStored(choice());
    QDialog::accept();
}

} // namespace tft::ide
