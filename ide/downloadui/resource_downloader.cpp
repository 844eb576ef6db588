#include "resource_downloader.h"

#include "sd_packet.h"
#include "string_table.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace tft::ide {

CResouceDownloader::CResouceDownloader(DownloadPort port, std::function<WizardProject()> project,
                                       QWidget* parent)
    : QDialog(parent), port_(std::move(port)), project_(std::move(project)) {
    setObjectName(QStringLiteral("ResourceDownloader"));
    setWindowTitle(ideText(sid::DownloadWizard));
    setModal(false);

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    const int texts[BoxCount] = {sid::WizardImages, sid::WizardFonts, sid::WizardKeyboard,
                                 sid::WizardScreens, sid::WizardModbus};
    const char* names[BoxCount] = {"Images", "Fonts", "Keyboard", "Screens", "Modbus"};
    for (int i = 0; i < BoxCount; ++i) {
        boxes_[i] = new QCheckBox(ideText(texts[i]), this);
        boxes_[i]->setObjectName(QLatin1String(names[i]));
        grid->addWidget(boxes_[i], i / 3, i % 3);
    }
    // The panel leaves the factory with its fonts and keyboard (see the note).
    boxes_[Images]->setChecked(true);
    boxes_[Screens]->setChecked(true);
    layout->addLayout(grid);

    const auto pathRow = [this, layout](int label, QLineEdit*& edit, const char* name,
                                        std::function<void()> browse) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(ideText(label), this));
        edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setMinimumWidth(320);
        row->addWidget(edit, 1);
        auto* button = new QPushButton(ideText(sid::Browse), this);
        connect(button, &QPushButton::clicked, this, std::move(browse));
        row->addWidget(button);
        layout->addLayout(row);
    };
    pathRow(sid::WizardFolder, folder_, "ResourceFolder", [this] {
        const QString chosen = askResourceFolder ? askResourceFolder() : QString();
        if (!chosen.isEmpty())
            folder_->setText(QDir::toNativeSeparators(chosen));
    });
    pathRow(sid::WizardMapFile, map_, "MapFile", [this] {
        const QString chosen = askMapFile ? askMapFile() : QString();
        if (!chosen.isEmpty())
            setMapFile(chosen);
    });
    connect(map_, &QLineEdit::editingFinished, this, [this] { setMapFile(map_->text()); });

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("MapSummary"));
    summary_->setVisible(false);
    layout->addWidget(summary_);
    problems_ = new QListWidget(this);
    problems_->setObjectName(QStringLiteral("MapProblems"));
    problems_->setVisible(false);
    layout->addWidget(problems_);

    auto* note = new QLabel(ideText(sid::WizardNote), this);
    note->setObjectName(QStringLiteral("Note"));
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* buttons = new QDialogButtonBox(this);
    start_ = buttons->addButton(ideText(sid::WizardStart), QDialogButtonBox::ActionRole);
    start_->setObjectName(QStringLiteral("StartDownload"));
    sd_ = buttons->addButton(ideText(sid::WizardSdPacket), QDialogButtonBox::ActionRole);
    sd_->setObjectName(QStringLiteral("MakeSdPacket"));
    buttons->addButton(QDialogButtonBox::Close);
    connect(start_, &QPushButton::clicked, this, [this] { startDownload(); });
    connect(sd_, &QPushButton::clicked, this, [this] { makeSdPacket(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    askSdDestination = [this] {
        return QFileDialog::getExistingDirectory(this, ideText(sid::SdPacketFolder));
    };
    askMapFile = [this] {
        return QFileDialog::getOpenFileName(this, ideText(sid::ChooseMapFile), map_->text(),
                                            ideText(sid::MapFilter));
    };
    askResourceFolder = [this] {
        return QFileDialog::getExistingDirectory(this, ideText(sid::ChooseResourceFolder),
                                                 folder_->text());
    };
    confirm = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    showMessage = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
    openFolder = [](const QString& folder) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    };
}

void CResouceDownloader::present() {
    const QString folder = project_ ? project_().outputFolder : QString();
    if (folder_->text().isEmpty() || folder_->text() == defaultFolder_) {
        defaultFolder_ = QDir::toNativeSeparators(folder);
        folder_->setText(defaultFolder_);
    }
    show();
    // Placed once shown, when the window knows its frame.
    if (QWidget* owner = parentWidget()) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->frameGeometry().center());
        move(frame.topLeft());
    }
    raise();
    activateWindow();
}

WizardChoice CResouceDownloader::choice() const {
    WizardChoice c;
    c.images = boxes_[Images]->isChecked();
    c.fonts = boxes_[Fonts]->isChecked();
    c.keyboard = boxes_[Keyboard]->isChecked();
    c.screens = boxes_[Screens]->isChecked();
    c.modbus = boxes_[Modbus]->isChecked();
    c.resourceFolder = folder_->text().trimmed();
    c.modbusFile = map_->text().trimmed();
    return c;
}

void CResouceDownloader::message(const QString& text) {
    if (showMessage)
        showMessage(text);
}

void CResouceDownloader::setMapFile(const QString& file) {
    map_->setText(QDir::toNativeSeparators(file.trimmed()));
    if (map_->text().isEmpty()) {
        summary_->setVisible(false);
        problems_->setVisible(false);
        return;
    }
    // A new map is meant to go; leaving the field unchanged keeps the box.
    if (map_->text() != checkedMap_)
        boxes_[Modbus]->setChecked(true);
    checkedMap_ = map_->text();
    const WizardProject project = project_ ? project_() : WizardProject{};
    showCheck(checkModbusMap(map_->text(), project));
}

void CResouceDownloader::showCheck(const MapCheck& check) {
    problems_->clear();
    for (const QString& line : check.errors)
        new QListWidgetItem(style()->standardIcon(QStyle::SP_MessageBoxCritical), line, problems_);
    for (const QString& line : check.warnings)
        new QListWidgetItem(style()->standardIcon(QStyle::SP_MessageBoxWarning), line, problems_);
    summary_->setText(
        check.clean()
            ? ideText(sid::MapClean)
            : ideText(sid::MapProblemsSummary).arg(check.errors.size()).arg(check.warnings.size()));
    summary_->setVisible(true);
    problems_->setVisible(!check.clean());
}

bool CResouceDownloader::mapAccepted() {
    const WizardChoice c = choice();
    if (!c.modbus || c.modbusFile.isEmpty() || !QFileInfo(c.modbusFile).isFile())
        return true; // no map goes (a missing one is reported by the caller)
    const WizardProject project = project_ ? project_() : WizardProject{};
    // Again: the map or the project may have changed since it was chosen.
    const MapCheck check = checkModbusMap(c.modbusFile, project);
    showCheck(check);
    if (check.errors.isEmpty())
        return true;
    return confirm && confirm(ideText(sid::MapSendAnyway).arg(check.errors.size()));
}

bool CResouceDownloader::startDownload() {
    const WizardChoice c = choice();
    if (!(c.images || c.fonts || c.keyboard || c.screens || c.modbus)) {
        message(ideText(sid::NothingChosen));
        return false;
    }
    if (port_.busy && port_.busy()) {
        message(ideText(sid::JobBusy));
        return false;
    }
    if (!mapAccepted())
        return false;
    const WizardOutcome outcome =
        buildWizardRequest(c, project_ ? project_() : WizardProject{}, QDir::tempPath());
    if (port_.output)
        for (const QString& line : outcome.lines)
            port_.output(line);
    if (!outcome.error.isEmpty()) {
        message(outcome.error);
        return false;
    }
    if (!port_.submit || !port_.submit(outcome.request)) {
        message(ideText(sid::JobBusy));
        return false;
    }
    return true;
}

QString CResouceDownloader::makeSdPacket() {
    const WizardChoice c = choice();
    if (!(c.images || c.fonts || c.keyboard || c.screens || c.modbus)) {
        message(ideText(sid::NothingChosen));
        return {};
    }
    if (c.modbus && (c.modbusFile.isEmpty() || !QFileInfo(c.modbusFile).isFile())) {
        message(ideText(sid::MapMissing).arg(c.modbusFile));
        return {};
    }
    if (!mapAccepted())
        return {};
    const QString destination = askSdDestination ? askSdDestination() : QString();
    if (destination.isEmpty())
        return {};
    SdPacketChoice sd;
    sd.images = c.images;
    sd.fonts = c.fonts;
    sd.keyboard = c.keyboard;
    sd.screens = c.screens;
    sd.modbus = c.modbus;
    sd.modbusFile = c.modbusFile.toStdString();
    std::string error;
    const QString packet = QString::fromStdString(
        writeSdPacket(c.resourceFolder.toStdString(), destination.toStdString(), sd, &error));
    if (packet.isEmpty()) {
        message(ideText(sid::SdPacketFailed).arg(QString::fromStdString(error)));
        return {};
    }
    if (port_.output)
        port_.output(ideText(sid::SdPacketWritten).arg(QDir::toNativeSeparators(packet)));
    if (openFolder)
        openFolder(packet);
    return packet;
}

} // namespace tft::ide
