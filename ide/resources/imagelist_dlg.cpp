#include "imagelist_dlg.h"

#include "size_text.h"
#include "string_table.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tft::ide {

namespace {

QStringList columns(int id, int count) {
    QStringList names = ideText(id).split(QLatin1Char(';'));
    while (names.size() > count)
        names.removeLast();
    return names;
}

QTreeWidget* table(QWidget* parent, const QString& name, const QStringList& headers) {
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(name);
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setColumnCount(int(headers.size()));
    tree->setHeaderLabels(headers);
    return tree;
}

} // namespace

CImagelistMainDlg::CImagelistMainDlg(const ImageLibraries& libraries, const LibraryUi& ui,
                                     QWidget* parent)
    : QDialog(parent), store_(libraries), ui_(ui),
      libraries_(table(this, QStringLiteral("Libraries"), columns(sid::LibraryColumns, 3))),
      pictures_(table(this, QStringLiteral("Pictures"), columns(sid::PictureColumns, 2))),
      import_(new QPushButton(ideText(sid::ImportPictures), this)),
      delete_(new QPushButton(ideText(sid::DeletePicture), this)) {
    setObjectName(QStringLiteral("ImagelistMainDlg"));
    setWindowTitle(ideText(sid::ManageLibrary));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(import_, QDialogButtonBox::ActionRole);
    buttons->addButton(delete_, QDialogButtonBox::ActionRole);
    auto* tables = new QHBoxLayout;
    tables->addWidget(libraries_, 2);
    tables->addWidget(pictures_, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tables, 1);
    layout->addWidget(buttons);
    resize(640, 400);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(libraries_, &QTreeWidget::currentItemChanged, this, [this] { showPictures(); });
    connect(import_, &QPushButton::clicked, this, [this] {
        if (ui_.importInto(this, store_, currentLibrary()))
            reload();
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        const QTreeWidgetItem* item = pictures_->currentItem();
        if (item && ui_.deleteFile(this, store_, item->data(0, Qt::UserRole).toString()))
            reload();
    });
    reload();
}

QString CImagelistMainDlg::currentLibrary() const {
    const QTreeWidgetItem* item = libraries_->currentItem();
    return item ? item->text(0) : QString();
}

void CImagelistMainDlg::reload() {
    const QString keep = currentLibrary();
    libraries_->clear();
    QTreeWidgetItem* current = nullptr;
    for (const LibraryInfo& info : store_.libraries()) {
        auto* row = new QTreeWidgetItem(libraries_);
        row->setText(0, info.name);
        row->setText(1, QString::number(info.count));
        row->setText(2, sizeText(info.bytes, SizeStyle::Library));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        if (!current || info.name == keep)
            current = row;
    }
    libraries_->setCurrentItem(current);
    for (int c = 0; c < 3; ++c)
        libraries_->resizeColumnToContents(c);
    showPictures();
}

void CImagelistMainDlg::showPictures() {
    pictures_->clear();
    for (const QString& file : store_.pictures(currentLibrary())) {
        auto* row = new QTreeWidgetItem(pictures_);
        const QFileInfo info(file);
        row->setText(0, info.fileName());
        row->setText(1, sizeText(info.size(), SizeStyle::Library));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        row->setData(0, Qt::UserRole, file);
        row->setToolTip(0, file);
    }
    pictures_->resizeColumnToContents(0);
    delete_->setEnabled(pictures_->topLevelItemCount() > 0);
}

} // namespace tft::ide
