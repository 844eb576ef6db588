// The one QApplication of a widget test program, made on first use. Linking
// tft_test_widgets also tells LeakSanitizer that fontconfig's caches, kept
// until the process ends, are not leaks of the code under test.
#pragma once

namespace testsupport {

void ensureWidgetsApp();

} // namespace testsupport
