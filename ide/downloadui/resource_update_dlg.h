// CResourceUpdateDlg: replaces single pictures on the panel. It asks the
// panel for its picture index, lists the records, lets the user pick a
// replacement picture per record and queues the replacement job (0x40).
// Modeless; the index reply arrives from the link on the worker's thread.
#pragma once

#include "download_request.h"
#include "image_index.h"

#include <QDialog>
#include <functional>
#include <vector>

class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QTimer;

namespace tft::ide {

class DeviceLink;

class CResourceUpdateDlg : public QDialog {
    Q_OBJECT
public:
    enum Column { IdColumn, AddressColumn, WidthColumn, HeightColumn, SizeColumn, PictureColumn };
    static constexpr int kBusyPollMs = 100;
    // How long a request waits for the panel's index before it counts as
    // failed (a panel that holds no pictures may not answer with a frame
    // the link takes for an index).
    static constexpr int kReplyWaitMs = 3000;

    CResourceUpdateDlg(DeviceLink& link, DownloadPort port, QWidget* parent = nullptr);

    // "获取图片索引": asks the panel for its index (the port must be open).
    bool requestIndex();
    // Fills the list from an index reply; 0 records is a failed request.
    void showRecords(const std::vector<ImageRecord>& records);
    // The checked rows that have a picture, in list order.
    std::vector<ImageReplacement> replacements() const;
    // The request and OK buttons are off while a job runs.
    void refreshButtons();

    // OK: queues the replacement job, then closes.
    void accept() override;

    QTableWidget* list() const { return list_; }
    QPushButton* requestButton() const { return request_; }
    QPushButton* okButton() const { return ok_; }
    QTimer* busyTimer() const { return busyTimer_; }
    QTimer* replyTimer() const { return replyTimer_; }

    // Asks for a replacement picture (empty: cancelled); tests replace it.
    std::function<QString()> askPicture;
    std::function<void(const QString& message)> showMessage;

private:
    void indexReceived(const QByteArray& frame);
    void rowChecked(QTableWidgetItem* item);
    void message(const QString& text);

    DeviceLink& link_;
    DownloadPort port_;
    std::vector<ImageRecord> records_;
    QTableWidget* list_;
    QPushButton* request_;
    QPushButton* ok_;
    QTimer* busyTimer_;
    QTimer* replyTimer_;
    bool filling_ = false;
};

} // namespace tft::ide
