#include "window_test_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QSettings>
#include <QWidget>

// Fontconfig keeps its caches until exit, and on X the platform's D-Bus
// connection keeps its buffers; under the leak checker that is not the
// program's leak.
#if defined(__SANITIZE_ADDRESS__)
#define TESSARY_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSARY_LEAK_CHECKED 1
#endif
#endif
#ifdef TESSARY_LEAK_CHECKED
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
#endif

namespace tessary::windowtest {

void WindowTest::SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "tessary_window_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own globals (input devices the tests'
    // clicks registered) may already be gone.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    // Windows closed by the tests must not end the event loops of later ones.
    QApplication::setQuitOnLastWindowClosed(false);
    static QTemporaryDir settingsDir;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    QCoreApplication::setOrganizationName(QStringLiteral("Pellisor"));
    QCoreApplication::setApplicationName(QStringLiteral("TessaryTest"));
}

void WindowTest::SetUp() {
    QSettings().clear();
}

PromptAnswerer::PromptAnswerer(std::initializer_list<QMessageBox::StandardButton> answers)
    : answers_(answers) {
    qApp->installEventFilter(this);
}

PromptAnswerer::~PromptAnswerer() {
    qApp->removeEventFilter(this);
}

bool PromptAnswerer::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QMessageBox*>(watched);
    if (box == nullptr || event->type() != QEvent::Show)
        return false;
    texts_ << box->text();
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    if (answers_.empty()) {
        ++unexpected_;
        if (!box->button(answer))
            answer = QMessageBox::Ok;
    } else {
        answer = answers_.front();
        answers_.pop_front();
    }
    // Clicked once the box's own event loop runs, as a user's click would be.
    QMetaObject::invokeMethod(
        box,
        [box, answer] {
            if (QAbstractButton* b = box->button(answer))
                b->click();
            else
                box->reject();
        },
        Qt::QueuedConnection);
    return false;
}

QAction* findAction(QWidget* window, const QString& text) {
    for (QAction* a : window->findChildren<QAction*>())
        if (a->text().remove(QLatin1Char('&')).startsWith(text))
            return a;
    return nullptr;
}

} // namespace tessary::windowtest
