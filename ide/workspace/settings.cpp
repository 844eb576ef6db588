#include "settings.h"

#include "command_lines.h"

namespace tft::ide {

namespace {

const QString kSection = QStringLiteral("Settings");
const QString kRecentSection = QStringLiteral("Recent Project List");

} // namespace

QSettings* openUserSettings(QObject* parent) {
    return new QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Pellisor"),
                         QStringLiteral("Orvane"), parent);
}

int defaultLanguage(const QLocale& locale) {
    if (locale.language() != QLocale::Chinese)
        return kLanguageEnglish;
    switch (locale.territory()) {
    case QLocale::China:
    case QLocale::Taiwan:
    case QLocale::HongKong:
        return kLanguageChinese;
    default:
        return kLanguageEnglish;
    }
}

IdeSettings IdeSettings::read(QSettings& store, const QLocale& locale) {
    IdeSettings s;
    store.beginGroup(kSection);
    s.language = store.value(QStringLiteral("Lang"), defaultLanguage(locale)).toInt();
    if (s.language != kLanguageChinese && s.language != kLanguageEnglish)
        s.language = defaultLanguage(locale);
    s.downloadOptions = store.value(QStringLiteral("DownloadOptions"), 0).toInt() & 0xFFFF;
    s.baudRateIndex = store.value(QStringLiteral("BandRateIndex"), 3).toInt();
    s.comPortIndex = store.value(QStringLiteral("ComPortIndex"), 1).toInt();
    s.showId = store.value(QStringLiteral("ShowID"), 0).toInt() ? 1 : 0;
    s.syncDisplay = 0;
    store.endGroup();
    return s;
}

void IdeSettings::write(QSettings& store) const {
    store.beginGroup(kSection);
    store.setValue(QStringLiteral("Lang"), language);
    store.setValue(QStringLiteral("DownloadOptions"), downloadOptions);
    store.setValue(QStringLiteral("BandRateIndex"), baudRateIndex);
    store.setValue(QStringLiteral("ComPortIndex"), comPortIndex);
    store.setValue(QStringLiteral("ShowID"), showId);
    store.setValue(QStringLiteral("SyncDisplay"), syncDisplay);
    store.endGroup();
}

void RecentProjects::read(QSettings& store) {
    entries_.clear();
    store.beginGroup(kRecentSection);
    for (int i = 1; i <= kSize; ++i) {
        const QString path = store.value(QStringLiteral("Project%1").arg(i)).toString();
        if (!path.isEmpty())
            entries_ << path;
    }
    store.endGroup();
}

void RecentProjects::write(QSettings& store) const {
    store.beginGroup(kRecentSection);
    for (int i = 1; i <= kSize; ++i) {
        const QString key = QStringLiteral("Project%1").arg(i);
        if (i <= entries_.size())
            store.setValue(key, entries_.at(i - 1));
        else
            store.remove(key);
    }
    store.endGroup();
}

void RecentProjects::add(const QString& path) {
    entries_.removeAll(path);
    entries_.prepend(path);
    while (entries_.size() > kSize)
        entries_.removeLast();
}

void RecentProjects::remove(int index) {
    if (index >= 0 && index < entries_.size())
        entries_.removeAt(index);
}

QString RecentProjects::menuText(int index) const {
    if (index < 0 || index >= entries_.size())
        return {};
    return entries_.at(index).left(kMenuTextLength);
}

} // namespace tft::ide
