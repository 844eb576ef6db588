#include "resource_pane.h"

#include "size_text.h"
#include "string_table.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tft::ide {

namespace {

enum Column { Type, Number, Path, Size, Utilisation, Details };

QString details(const ResourceEntry& entry) {
    if (entry.type == QLatin1String("image"))
        return QStringLiteral("width:%1 (%2); height:%3 (%4);")
            .arg(entry.effectWidth)
            .arg(entry.width)
            .arg(entry.effectHeight)
            .arg(entry.height);
    if (entry.type == QLatin1String("wave"))
        return QStringLiteral("channels:%1; samplebits:%2 bits; samplerate:%3 HZ;")
            .arg(entry.channels)
            .arg(entry.sampleBits)
            .arg(entry.sampleRate);
    return {};
}

} // namespace

CResourcePane::CResourcePane(QWidget* parent)
    : QWidget(parent), table_(new QTreeWidget(this)), bar_(new QProgressBar(this)) {
    setObjectName(QStringLiteral("ResourcePane"));
    table_->setObjectName(QStringLiteral("ResourceTable"));
    bar_->setObjectName(QStringLiteral("ResourceCapacity"));
    bar_->setRange(0, 1000);
    bar_->setTextVisible(true);
    table_->setRootIsDecorated(true);
    table_->setUniformRowHeights(true);
    table_->setAlternatingRowColors(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(bar_);
    layout->addWidget(table_, 1);
    retranslate();
}

QString CResourcePane::load(const QString& path, int areaMiB) {
    areaMiB_ = areaMiB;
    list_ = ResourceList::read(path);
    rebuild();
    if (list_.status == ResourceList::Status::Malformed)
        return ideText(sid::ResourceMalformed).arg(path, list_.error);
    return {};
}

void CResourcePane::clear() {
    list_ = {};
    rebuild();
}

void CResourcePane::retranslate() {
    QStringList columns = ideText(sid::ResourceColumns).split(QLatin1Char(';'));
    while (columns.size() > Details + 1)
        columns.removeLast();
    table_->setColumnCount(Details + 1);
    table_->setHeaderLabels(columns);
    rebuild();
}

void CResourcePane::rebuild() {
    table_->clear();
    if (list_.status == ResourceList::Status::Loaded) {
        addGroup(ideText(sid::ResourceGroupPages), list_.pages);
        addGroup(ideText(sid::ResourceGroupImages), list_.images);
        addGroup(ideText(sid::ResourceGroupWaves), list_.waves);
        table_->expandAll();
        for (int c = 0; c <= Details; ++c)
            table_->resizeColumnToContents(c);
    }
    updateBar();
}

void CResourcePane::addGroup(const QString& caption, const ResourceGroup& group) {
    const qint64 total = group.total();
    auto* head = new QTreeWidgetItem(table_);
    head->setText(Type, caption);
    head->setText(Number, QString::number(group.entries.size()));
    head->setText(Size, sizeText(total, SizeStyle::ResourcePane));
    head->setText(Utilisation, utilisationText(total));
    QFont bold = head->font(Type);
    bold.setBold(true);
    head->setFont(Type, bold);
    for (const ResourceEntry& entry : group.entries) {
        auto* row = new QTreeWidgetItem(head);
        row->setText(Type, entry.type);
        row->setText(Number, QString::number(entry.id));
        row->setText(Path, entry.path);
        row->setText(Size, sizeText(entry.size, SizeStyle::ResourcePane));
        row->setText(Utilisation, utilisationText(entry.size));
        row->setToolTip(Utilisation, ideText(sid::GroupShare).arg(shareText(entry.size, total)));
        row->setText(Details, details(entry));
        for (const int c : {Number, Size, Utilisation})
            row->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void CResourcePane::updateBar() {
    const qint64 used = list_.status == ResourceList::Status::Loaded ? list_.usedBytes() : 0;
    if (areaMiB_ <= 0) {
        level_ = Level::Normal;
        bar_->setValue(0);
        bar_->setFormat(ideText(sid::CapacityUnknown));
        bar_->setToolTip(ideText(sid::CapacityUnknown));
        bar_->setStyleSheet({});
        return;
    }
    const qint64 area = qint64(areaMiB_) * 1024 * 1024;
    const double percent = double(used) * 100.0 / double(area);
    level_ = percent > 100.0 ? Level::Over : percent > 80.0 ? Level::Warning : Level::Normal;
    bar_->setValue(int(std::min(percent, 100.0) * 10.0));
    bar_->setToolTip(ideText(sid::CapacityTip));
    bar_->setFormat(ideText(sid::CapacityText)
                        .arg(QString::asprintf("%.2f", double(used) / (1024.0 * 1024.0)))
                        .arg(areaMiB_)
                        .arg(QString::asprintf("%.1f", percent)));
    static const char* chunk = "QProgressBar::chunk { background-color: %1; }";
    switch (level_) {
    case Level::Over:
        bar_->setStyleSheet(QString::fromLatin1(chunk).arg(QStringLiteral("#d0312d")));
        break;
    case Level::Warning:
        bar_->setStyleSheet(QString::fromLatin1(chunk).arg(QStringLiteral("#f0a020")));
        break;
    case Level::Normal:
        bar_->setStyleSheet(QString::fromLatin1(chunk).arg(QStringLiteral("#3a8ee6")));
        break;
    }
}

} // namespace tft::ide
