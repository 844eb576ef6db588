// CPageFrame: the document frame of a page. It owns the page document (the
// shapes, their history, the modified flag); the designer view of the page
// plugs in here. The properties pane, find and locate reach the page through
// `document()` and learn of changes through the signals.
#pragma once

#include "page_document.h"

#include <QWidget>
#include <memory>

class QLabel;

namespace tft::ide {

class CPageFrame : public QWidget {
    Q_OBJECT
public:
    explicit CPageFrame(const QString& file, QWidget* parent = nullptr);
    ~CPageFrame() override;
    const QString& file() const { return file_; }
    void setFile(const QString& file);
    void retranslate();

    // Reads the page file; false with the reason when it cannot be read.
    bool load(QString* error = nullptr);
    bool save(QString* error = nullptr);
    PageDocument& document() { return *document_; }
    const PageDocument& document() const { return *document_; }
    bool isModified() const { return document_->isModified(); }

    // Selects the named shape alone; false (nothing changes) when the page
    // has no shape of that name.
    bool selectShape(const QString& name);

signals:
    // The selection changed (click, rubber band, undo, locate).
    void selectionChanged();
    // Shapes or page attributes changed (an edit, undo, redo).
    void pageChanged();
    void modifiedChanged(bool modified);

private:
    QString file_;
    std::unique_ptr<PageDocument> document_;
    QLabel* label_;
};

} // namespace tft::ide
