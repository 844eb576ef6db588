#include "testing/widgets_app.h"

#include <QApplication>

#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace testsupport {

void ensureWidgetsApp() {
    static int argc = 1;
    static char name[] = "tft_widget_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

} // namespace testsupport
