// Decides which owner the property grid shows: the selected shapes of the
// active page, the page itself when nothing is selected, or the project
// (command 32918). It follows the active page frame through its
// selectionChanged() and pageChanged() signals and fills every template with
// the project's pages, fonts and device models in the IDE's language.
#pragma once

#include "property_owner.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <memory>

namespace tft::ide {

class CPropertiesPane;

// The designer's page size for the project's device (turned a quarter when
// the project rotates the screen by 90 or 270 degrees); 800x480 without one.
QSize projectScreenSize(const ProjectWorkspace& workspace);

class CPropertiesController : public QObject {
    Q_OBJECT
public:
    enum class Showing { Nothing, Shapes, Page, Project };

    CPropertiesController(CPropertiesPane* pane, ProjectWorkspace& workspace,
                          const DeviceCatalogue& catalogue, const QString& appDir,
                          QObject* parent = nullptr);
    ~CPropertiesController() override;

    // The active page: its frame (the object with the two signals) and its
    // document; null for none.
    void attachPage(QObject* frame, PageDocument* page);
    // Shows the project's properties until the page or its selection changes.
    void showProject();
    // A project was opened or closed: the page's or nothing again.
    void projectChanged();
    // Reloads the current owner's template in another language.
    void setLanguage(int language);

    Showing showing() const { return showing_; }
    FillContext context() const;
    CPropertiesPane* pane() const { return pane_; }

signals:
    // A project attribute was written (the tree follows `Name`, the pages'
    // size follows `DeviceType`).
    void projectEdited(const QString& name);

private slots:
    void selectionChanged();
    void pageChanged();

private:
    void showCurrent();
    void onChanged(const std::string& name);
    QString importFile(const QString& file, QString* reason);

    CPropertiesPane* pane_;
    ProjectWorkspace& workspace_;
    const DeviceCatalogue& catalogue_;
    QString appDir_;
    int language_ = 50011;
    Showing showing_ = Showing::Nothing;
    QPointer<QObject> frame_;
    PageDocument* page_ = nullptr;
    std::unique_ptr<ShapeSelectionOwner> shapes_;
    std::unique_ptr<PageOwner> pageOwner_;
    std::unique_ptr<ProjectOwner> project_;
    std::vector<FontChoice> fonts_;
    QPointer<CPropertiesPane> paneGuard_;
};

} // namespace tft::ide
