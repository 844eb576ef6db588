#include "device_tool_bar.h"

#include "device_dialogs.h"
#include "device_link.h"
#include "instruct_log.h"
#include "string_table.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolBar>

namespace tft::ide {

namespace {

constexpr int kBacklightMax = 255;
constexpr int kBacklightInitial = 255;

int refusalText(FrameRefusal why) {
    switch (why) {
    case FrameRefusal::YearOutOfRange:
        return sid::RtcYearRange;
    case FrameRefusal::InvalidDateTime:
        return sid::DeviceDateInvalid;
    case FrameRefusal::CoordinateOutOfRange:
        return sid::DeviceCoordinateRange;
    case FrameRefusal::BacklightOutOfRange:
        return sid::DeviceBacklightRange;
    case FrameRefusal::FontOutOfRange:
        return sid::DeviceFontRange;
    case FrameRefusal::CursorSizeOutOfRange:
        return sid::DeviceCursorSizeRange;
    case FrameRefusal::None:
        break;
    }
    return 0;
}

} // namespace

DeviceToolBar::DeviceToolBar(QMainWindow* frame, QToolBar* bar, QMenu* menu, DeviceLink& link,
                             InstructLog& log)
    : QObject(frame), frame_(frame), link_(link), log_(log) {
    now = [] { return QDateTime::currentDateTime(); };
    showMessage = [this](const QString& text) { QMessageBox::warning(frame_, QString(), text); };
    clockDialog = [this](DeviceBarState& s) {
        CSetClockDlg dialog(s.clock, now(), frame_);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        s.clock = dialog.settings();
        return true;
    };
    cursorDialog = [this](DeviceBarState& s) {
        CSetCursorDlg dialog(s.cursor, frame_);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        s.cursor = dialog.settings();
        return true;
    };

    QAction* touch = addCommand(sid::DeviceTouch, &DeviceToolBar::toggleTouch);
    touch->setCheckable(true);
    addCommand(sid::DeviceCalibrate, &DeviceToolBar::calibrateTouch);
    addCommand(sid::DeviceTouchTest, &DeviceToolBar::touchTest);
    addCommand(sid::DeviceBeep, &DeviceToolBar::beep);
    addCommand(sid::DeviceCommand80, &DeviceToolBar::sendCommand80);
    addCommand(sid::DeviceClock, &DeviceToolBar::setClock);
    addCommand(sid::DeviceCursor, &DeviceToolBar::setCursor);

    // Without a bar the widgets stay hidden children of the window.
    QWidget* host = bar ? static_cast<QWidget*>(bar) : frame;
    backlightLabel_ = new QLabel(host);
    backlightLabel_->setObjectName(QStringLiteral("Caption33010"));
    backlightLabel_->setContentsMargins(6, 0, 4, 0);
    backlightEdit_ = new QLineEdit(host);
    backlightEdit_->setObjectName(QStringLiteral("Command33010"));
    // Digits only; a value past 255 is refused with a message on Enter.
    backlightEdit_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,3}")), backlightEdit_));
    backlightEdit_->setMaxLength(3);
    backlightEdit_->setFixedWidth(
        backlightEdit_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    backlightEdit_->setText(QString::number(kBacklightInitial));
    backlightSlider_ = new QSlider(Qt::Horizontal, host);
    backlightSlider_->setObjectName(QStringLiteral("Command33011"));
    backlightSlider_->setRange(0, kBacklightMax);
    backlightSlider_->setPageStep(16);
    backlightSlider_->setValue(kBacklightInitial);
    backlightSlider_->setFixedWidth(120);

    if (bar) {
        bar->addSeparator();
        for (const auto& [id, a] : actions_)
            if (id != sid::DeviceClock && id != sid::DeviceCursor && id != sid::DeviceCommand80)
                bar->addAction(a);
        bar->addWidget(backlightLabel_);
        bar->addWidget(backlightEdit_);
        bar->addWidget(backlightSlider_);
        bar->addAction(action(sid::DeviceCommand80));
        bar->addAction(action(sid::DeviceClock));
        bar->addAction(action(sid::DeviceCursor));
    }
    if (menu)
        for (const auto& [id, a] : actions_)
            menu->addAction(a);

    connect(backlightEdit_, &QLineEdit::textEdited, this, &DeviceToolBar::onBacklightTyped);
    connect(backlightEdit_, &QLineEdit::returnPressed, this, &DeviceToolBar::sendBacklightFromEdit);
    connect(backlightSlider_, &QSlider::valueChanged, this, [this](int v) {
        if (backlightEdit_->text() != QString::number(v))
            backlightEdit_->setText(QString::number(v));
    });
    // A drag sends once, when the handle is let go; steps from the keyboard,
    // the wheel or a click on the groove send at once.
    connect(backlightSlider_, &QSlider::sliderReleased, this,
            &DeviceToolBar::sendBacklightFromSlider);
    connect(backlightSlider_, &QSlider::actionTriggered, this, [this](int act) {
        if (act == QAbstractSlider::SliderMove || act == QAbstractSlider::SliderNoAction)
            return;
        // The position is already moved; the value follows after this signal.
        const int v = backlightSlider_->sliderPosition();
        sendBuilt(backlightFrame(v), sid::DeviceBacklightSlider);
    });
    connect(&link_, &DeviceLink::statusChanged, this, &DeviceToolBar::followLink);
    retranslate();
    followLink();
}

QAction* DeviceToolBar::addCommand(int commandId, void (DeviceToolBar::*run)()) {
    auto* a = new QAction(this);
    a->setObjectName(QStringLiteral("Command%1").arg(commandId));
    connect(a, &QAction::triggered, this, run);
    actions_.emplace_back(commandId, a);
    return a;
}

QAction* DeviceToolBar::action(int commandId) const {
    for (const auto& [id, a] : actions_)
        if (id == commandId)
            return a;
    return nullptr;
}

void DeviceToolBar::retranslate() {
    for (const auto& [id, a] : actions_) {
        a->setText(ideText(id));
        a->setToolTip(ideText(id));
    }
    backlightLabel_->setText(ideText(sid::DeviceBacklight));
    backlightEdit_->setToolTip(ideText(sid::DeviceBacklight));
    backlightSlider_->setToolTip(ideText(sid::DeviceBacklightSlider));
}

void DeviceToolBar::followLink() {
    const bool open = link_.isOpen();
    if (!open && state_.touchOn)
        state_.touchOn = false; // every disconnect starts the touch button over at off
    const QSignalBlocker block(action(sid::DeviceTouch));
    action(sid::DeviceTouch)->setChecked(state_.touchOn);
    for (const auto& [id, a] : actions_)
        a->setEnabled(open);
    backlightEdit_->setEnabled(open);
    backlightSlider_->setEnabled(open);
}

bool DeviceToolBar::send(const Frame& bytes, int label) {
    return link_.send(bytes, label ? ideText(label).toStdString() : std::string());
}

bool DeviceToolBar::sendBuilt(const BuiltFrame& frame, int label) {
    if (!frame) {
        refuse(frame.refusal);
        return false;
    }
    return send(frame.bytes, label);
}

void DeviceToolBar::refuse(FrameRefusal why) {
    if (showMessage && why != FrameRefusal::None)
        showMessage(ideText(refusalText(why)));
}

void DeviceToolBar::toggleTouch() {
    const bool on = !state_.touchOn;
    if (send(touchReportFrame(on), on ? sid::DeviceTouchOn : sid::DeviceTouchOff)) {
        state_.touchOn = on;
        log_.appendNote(ideText(sid::DeviceTouchNote).toStdString());
    }
    // A frame that did not go out leaves the toggle where the panel has it.
    const QSignalBlocker block(action(sid::DeviceTouch));
    action(sid::DeviceTouch)->setChecked(state_.touchOn);
}

void DeviceToolBar::calibrateTouch() {
    send(calibrateTouchFrame(), sid::DeviceCalibrate);
}

void DeviceToolBar::touchTest() {
    send(touchTestFrame(), sid::DeviceTouchTest);
}

void DeviceToolBar::beep() {
    send(beepFrame(), sid::DeviceBeep);
}

void DeviceToolBar::sendCommand80() {
    if (send(command80Frame(state_.command80), 0))
        state_.command80 = state_.command80 ? 0 : 1;
}

void DeviceToolBar::setClock() {
    if (!clockDialog || !clockDialog(state_))
        return;
    const ClockFrames plan = clockFrames(state_.clock, now ? now() : QDateTime());
    if (plan.refusal != FrameRefusal::None) {
        refuse(plan.refusal);
        return;
    }
    for (const LabelledFrame& f : plan.frames)
        if (!send(f.bytes, f.label))
            return;
}

void DeviceToolBar::setCursor() {
    if (!cursorDialog || !cursorDialog(state_))
        return;
    sendBuilt(setCursorFrame(state_.cursor), sid::DeviceCursor);
}

void DeviceToolBar::onBacklightTyped(const QString& text) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (ok && v >= 0 && v <= kBacklightMax) {
        const QSignalBlocker block(backlightSlider_); // typing does not send
        backlightSlider_->setValue(v);
    }
}

void DeviceToolBar::sendBacklightFromEdit() {
    bool ok = false;
    const int v = backlightEdit_->text().toInt(&ok);
    if (!ok) {
        refuse(FrameRefusal::BacklightOutOfRange);
        return;
    }
    sendBuilt(backlightFrame(v), sid::DeviceBacklight);
}

void DeviceToolBar::sendBacklightFromSlider() {
    sendBuilt(backlightFrame(backlightSlider_->value()), sid::DeviceBacklightSlider);
}

} // namespace tft::ide
