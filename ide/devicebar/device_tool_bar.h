// DeviceToolBar: the single panel commands of the serial-port tool bar and
// the device menu: touch reporting on/off (33006), calibration (33020), the
// touch test screen (33021), a beep (33007), the backlight edit and slider
// (33010, 33011), command 80 (33008), the clock dialog (33009) and the cursor
// dialog (33022). Every frame goes out through `DeviceLink::send` with its
// TX row label; the commands are enabled only while the port is open.
#pragma once

#include "device_bar_state.h"

#include <QObject>
#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QSlider;
class QToolBar;

namespace tft::ide {

class DeviceLink;
class InstructLog;

class DeviceToolBar : public QObject {
    Q_OBJECT
public:
    // Adds the commands to `bar` (after what is on it) and to `menu`; either
    // may be null. `frame` parents the dialogs and messages.
    DeviceToolBar(QMainWindow* frame, QToolBar* bar, QMenu* menu, DeviceLink& link,
                  InstructLog& log);

    DeviceBarState& state() { return state_; }
    QAction* action(int commandId) const; // 33006, 33007, 33008, 33009, 33020, 33021, 33022
    QLineEdit* backlightEdit() const { return backlightEdit_; }
    QSlider* backlightSlider() const { return backlightSlider_; }

    // Replaceable for tests. The dialog hooks show a dialog on the state and
    // return true when it was accepted (the default ones exec the real dialogs).
    std::function<bool(DeviceBarState&)> clockDialog;
    std::function<bool(DeviceBarState&)> cursorDialog;
    std::function<QDateTime()> now; // the computer's local time
    std::function<void(const QString&)> showMessage;

    // The commands, as the actions trigger them.
    void toggleTouch();
    void calibrateTouch();
    void touchTest();
    void beep();
    void sendCommand80();
    void setClock();
    void setCursor();
    // Sends the backlight level shown in the edit (Enter) or on the slider.
    void sendBacklightFromEdit();
    void sendBacklightFromSlider();

    void retranslate();

private:
    QAction* addCommand(int commandId, void (DeviceToolBar::*run)());
    bool send(const Frame& bytes, int label);
    bool sendBuilt(const BuiltFrame& frame, int label);
    void refuse(FrameRefusal why);
    void followLink();
    void onBacklightTyped(const QString& text);

    QMainWindow* frame_;
    DeviceLink& link_;
    InstructLog& log_;
    DeviceBarState state_;
    std::vector<std::pair<int, QAction*>> actions_;
    QLineEdit* backlightEdit_ = nullptr;
    QSlider* backlightSlider_ = nullptr;
    QLabel* backlightLabel_ = nullptr;
};

} // namespace tft::ide
