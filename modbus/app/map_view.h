// The map grid: a table model over the map editor, the drop-down delegate for
// the use and function-code columns, and the window that shows one map.
#pragma once

#include "modbus/map_editor.h"
#include "modbus/project_check.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

class QLineEdit;

namespace tessary {

enum MapColumn {
    kColNumber,
    kColUse,
    kColScreen,
    kColControl,
    kColSlave,
    kColFunction,
    kColStart,
    kColumnCount
};

class MapTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MapTableModel(MapEditor* editor, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Numbers are clamped into the column's range and stored at once; the use
    // and function columns take the value (Qt::EditRole) of a drop-down entry.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The attached project (names beside the ids) and the problems found
    // (rows marked, reasons as tool tips); null and empty without a project.
    void setAnnotations(std::shared_ptr<const ProjectIndex> project,
                        std::vector<MapProblem> problems);

private:
    void documentChanged();
    QString idText(const MapRow& row, int column) const;

    MapEditor* editor_;
    int shownRows_ = 0;
    std::shared_ptr<const ProjectIndex> project_;
    std::vector<MapProblem> problems_;
    std::vector<std::vector<std::size_t>> rowProblems_; // problem indexes per row
};

// The screen and control columns with a project attached: editable drop-downs
// of the project's screens and of the row's screen's controls by name; a
// typed number still works.
class ProjectChoiceDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    ProjectChoiceDelegate(const MapEditor* editor, QObject* parent);
    void setProject(std::shared_ptr<const ProjectIndex> project) { project_ = std::move(project); }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    const MapEditor* editor_;
    std::shared_ptr<const ProjectIndex> project_;
};

// Drop-downs for the use and function-code columns.
class ChoiceDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};

class MapTable : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;
    // Commits and closes an open in-place editor (before a save).
    void endEdit();
};

// One map document in its window.
class MapView : public QWidget {
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);

    MapEditor* editor() { return &editor_; }
    MapTable* table() { return table_; }
    const QString& filePath() const { return path_; }
    void setFilePath(const QString& path);
    QString displayName() const;

    // The edit commands.
    void addRow();
    void deleteSelected();
    void deleteAll(bool confirmed);
    bool hasSelection() const;

    // Rows through the system clipboard: copy and cut put the selected rows
    // there (as map rows, and as text for other programs); paste inserts the
    // clipboard's map rows after the selection (at the end without one) and
    // selects them. Each change is one undo step.
    void copyRows();
    void cutRows();
    void pasteRows();
    // True when the clipboard holds map rows.
    static bool canPaste();
    // The clipboard format of map rows.
    static const char* const kRowsMimeType;

    // Saves to `path` (ends an open edit first). On failure sets `error`.
    bool save(const QString& path, QString* error);

    // Attaches a project (loaded off the interface thread; an empty path
    // detaches). The map's bytes never change by it.
    void attachProject(const QString& path);
    const QString& projectPath() const { return projectPath_; }
    // Set once the project has loaded; null while loading or when it failed.
    const std::shared_ptr<const ProjectIndex>& project() const { return project_; }
    // Why the attached project did not load (empty when it did).
    const QString& linkError() const { return linkError_; }
    bool busy() const { return loading_ || checking_; }
    // The problems of the last finished check, by row.
    const std::vector<MapProblem>& problems() const { return problems_; }
    // Selects one row and shows it.
    void selectRow(int row);

signals:
    void selectionChanged();
    // The project was attached, loaded, failed or detached.
    void projectChanged();
    void problemsChanged();

private:
    std::vector<std::size_t> selectedRows() const;
    void selectRows(int first, int count);
    void recheck();
    void showProblems(std::vector<MapProblem> problems);

    MapEditor editor_;
    MapTableModel* model_;
    MapTable* table_;
    ProjectChoiceDelegate* projectChoices_;
    QString path_;
    int untitled_ = 0;
    QString projectPath_, linkError_;
    std::shared_ptr<const ProjectIndex> project_;
    std::vector<MapProblem> problems_;
    // Results of an older load or check than the newest are dropped.
    int loadGeneration_ = 0, checkGeneration_ = 0;
    bool loading_ = false, checking_ = false;
};

// "设备地址(201~210):" with range validation on OK.
class DeviceAddressDialog : public QDialog {
    Q_OBJECT
public:
    explicit DeviceAddressDialog(int address, QWidget* parent = nullptr);
    int address() const { return address_; }
    // The address typed, when it is a whole number in 201-210.
    static std::optional<int> parse(const QString& text);
    void accept() override;
    QLineEdit* field() { return field_; }

private:
    QLineEdit* field_;
    int address_;
};

} // namespace tessary
