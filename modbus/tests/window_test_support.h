// What the window tests share: one application with settings in a scratch
// folder, and an answerer that replies to the program's message boxes.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

class QAction;
class QWidget;

namespace tessary::windowtest {

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    QTemporaryDir dir;
};

// Answers the message boxes the program opens, in order, by clicking the
// given standard button once the box runs its own event loop; records each
// box's text. A box with no answer left is cancelled (or closed) and counted
// as unexpected.
class PromptAnswerer : public QObject {
public:
    explicit PromptAnswerer(std::initializer_list<QMessageBox::StandardButton> answers);
    ~PromptAnswerer() override;

    const QStringList& texts() const { return texts_; }
    int unexpected() const { return unexpected_; }
    bool allAnswered() const { return answers_.empty(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::deque<QMessageBox::StandardButton> answers_;
    QStringList texts_;
    int unexpected_ = 0;
};

// The main window's command with this menu text (without its mnemonic).
QAction* findAction(QWidget* window, const QString& text);

} // namespace tessary::windowtest
