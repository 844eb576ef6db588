#include "test_app.h"

#include "fonttools/shipped_fonts.h"

#include <QApplication>
#include <QFile>
#include <gtest/gtest.h>

// fontconfig keeps its caches until the process ends; that is not a leak of
// the code under test.
#if defined(__SANITIZE_ADDRESS__)
#define FONTTOOLS_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FONTTOOLS_LEAK_CHECKED 1
#endif
#endif
#ifdef FONTTOOLS_LEAK_CHECKED
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace tft::fonttools::test {

void ensureApp(bool isolated) {
    if (QCoreApplication::instance() == nullptr) {
        if (isolated) {
            isolateFromInstalledFonts();
        }
        static int argc = 1;
        static char name[] = "fonttools_tests";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
}

std::vector<std::uint8_t> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    const QByteArray all = file.readAll();
    return {all.begin(), all.end()};
}

void writeFile(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

void writeText(const QString& path, const std::string& text) {
    writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

QString appDir() {
    return QStringLiteral(TFT_APP_DIR);
}

} // namespace tft::fonttools::test
