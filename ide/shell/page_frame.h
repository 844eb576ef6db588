// CPageFrame: the document frame of a page. It owns the page document (the
// shapes, their history, the modified flag) and shows it in the designer view
// (`COrvaneView`). The properties pane, find and locate reach the page through
// `document()` and learn of changes through the signals.
#pragma once

#include "page_document.h"
#include "page_painter.h"

#include <QMessageBox>
#include <QWidget>
#include <functional>
#include <memory>

namespace tft::ide {

class COrvaneView;

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
    COrvaneView* view() const { return view_; }
    void setRenderContext(const RenderContext& context);

    // Selects the named shape alone; false (nothing changes) when the page
    // has no shape of that name.
    bool selectShape(const QString& name);

    // Closing a modified page asks this: Save, Discard or Cancel. A message
    // box unless replaced (the main window and tests replace it).
    std::function<QMessageBox::StandardButton(const QString& page)> askSave;
    // Saving failed while closing: the reason for the user.
    std::function<void(const QString& message)> reportError;

signals:
    // The selection changed (click, rubber band, undo, locate).
    void selectionChanged();
    // Shapes or page attributes changed (an edit, undo, redo).
    void pageChanged();
    void modifiedChanged(bool modified);
    // For the status bar: the position and colour under the mouse.
    void statusText(const QString& text);
    // Something for the user (a refused drag on a locked page).
    void message(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void checkSelection();

    QString file_;
    std::unique_ptr<PageDocument> document_;
    COrvaneView* view_;
    // What was selected when last looked: (index, name) of each selected shape.
    std::vector<std::pair<std::size_t, std::string>> selection_;
};

} // namespace tft::ide
