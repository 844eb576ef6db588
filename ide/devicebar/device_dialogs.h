// The clock dialog ("时钟设置") and the cursor dialog ("光标设置") of the
// device tool bar. Each opens with the values it is given and hands back
// what the user chose; sending is the tool bar's business.
#pragma once

#include "device_bar_state.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QPushButton;
class QSpinBox;
class QTimeEdit;

namespace tft::ide {

class CSetClockDlg : public QDialog {
    Q_OBJECT
public:
    // An invalid given date or time in `initial` starts the pickers at `now`.
    CSetClockDlg(const ClockSettings& initial, const QDateTime& now, QWidget* parent = nullptr);

    ClockSettings settings() const;
    void setColour(std::uint32_t colour);

    QComboBox* displayCombo() const { return display_; }
    QComboBox* formatCombo() const { return format_; }
    QComboBox* settingCombo() const { return setting_; }

private:
    void updateEnabled();

    QComboBox* display_;
    QComboBox* format_;
    QSpinBox* font_;
    QPushButton* colourButton_;
    std::uint32_t colour_ = 0;
    QSpinBox* x_;
    QSpinBox* y_;
    QComboBox* setting_;
    QDateEdit* date_;
    QTimeEdit* time_;
};

class CSetCursorDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSetCursorDlg(const CursorSettings& initial, QWidget* parent = nullptr);

    CursorSettings settings() const;

private:
    QComboBox* enable_;
    QSpinBox* x_;
    QSpinBox* y_;
    QSpinBox* width_;
    QSpinBox* height_;
};

} // namespace tft::ide
