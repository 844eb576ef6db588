// The debug assistant (command 32824 "调试助手"): a sheet of the eighteen
// command pages and the custom page. Pages only build frames; sending goes
// through `send`, which the owner points at the device link.
#pragma once

#include "command_pages.h"
#include "custom_commands.h"

#include <QDialog>
#include <QWidget>
#include <functional>

class QCheckBox;
class QLineEdit;
class QTabWidget;
class QTableWidget;
class QTimer;

namespace tft::ide {

struct ConsoleHooks {
    // Writes a frame to the panel and logs it; false when it did not leave.
    std::function<bool(const Frame&)> send;
    std::function<void(const QString&)> showMessage;
};

// One command page made from its description.
class CommandPageWidget : public QWidget {
    Q_OBJECT
public:
    CommandPageWidget(const CommandPageForm& page, ConsoleHooks& hooks, QWidget* parent = nullptr);
    const CommandPageForm& form() const { return form_; }
    // Presses the button with this caption; false when nothing was sent.
    bool press(const QString& button);
    void setField(const QString& key, const QString& text);

private:
    QMap<QString, QString> texts() const;

    const CommandPageForm& form_;
    ConsoleHooks& hooks_;
    QMap<QString, QWidget*> fields_;
};

// CDebugInstructPage, "自定义调试".
class CDebugInstructPage : public QWidget {
    Q_OBJECT
public:
    CDebugInstructPage(const QString& iniPath, ConsoleHooks& hooks, QWidget* parent = nullptr);
    ~CDebugInstructPage() override;

    CustomCommandList& list() { return list_; }
    QTableWidget* table() const { return table_; }
    QCheckBox* loopBox() const { return loop_; }
    QLineEdit* intervalBox() const { return interval_; }
    QTimer* loopTimer() const { return timer_; }

    bool sendRow(int row);
    void singleStep();
    int runAll();
    void clearRows();
    bool importFrom(const QString& path);
    bool exportTo(const QString& path);
    // Writes the list back to Instruct.ini (also when the page closes).
    void saveList();
    // Rows the last send found malformed hex in (shown marked).
    bool rowMarked(int row) const;

private:
    void fillTable();
    void readTable();
    void onLoopToggled(bool on);

    QString iniPath_;
    ConsoleHooks& hooks_;
    CustomCommandList list_;
    LoopSender loopSender_{list_};
    QTableWidget* table_;
    QCheckBox* loop_;
    QLineEdit* interval_;
    QTimer* timer_;
};

class CDebugAssistantSheet : public QDialog {
    Q_OBJECT
public:
    CDebugAssistantSheet(const QString& customIniPath, ConsoleHooks hooks,
                         QWidget* parent = nullptr);
    QTabWidget* tabs() const { return tabs_; }
    CommandPageWidget* page(const QString& className) const;
    CDebugInstructPage* customPage() const { return custom_; }

private:
    ConsoleHooks hooks_;
    QTabWidget* tabs_;
    CDebugInstructPage* custom_;
};

} // namespace tft::ide
