#include "modbus/map_editor.h"

#include <QUndoCommand>

namespace tessary {

namespace {

class SnapshotCommand : public QUndoCommand {
public:
    SnapshotCommand(MapEditor* editor, CTessaryDoc before, CTessaryDoc after, const QString& text)
        : QUndoCommand(text), editor_(editor), before_(std::move(before)),
          after_(std::move(after)) {}
    void undo() override { editor_->apply(before_); }
    void redo() override { editor_->apply(after_); }

private:
    MapEditor* editor_;
    CTessaryDoc before_;
    CTessaryDoc after_;
};

} // namespace

MapEditor::MapEditor(QObject* parent) : QObject(parent) {}

void MapEditor::reset(const CTessaryDoc& doc) {
    undo_.clear();
    apply(doc);
    undo_.setClean();
}

void MapEditor::apply(const CTessaryDoc& doc) {
    doc_ = doc;
    emit documentChanged();
}

void MapEditor::commit(const CTessaryDoc& after, const QString& text) {
    if (after == doc_)
        return;
    undo_.push(new SnapshotCommand(this, doc_, after, text));
}

std::size_t MapEditor::addRow() {
    CTessaryDoc after = doc_;
    const std::size_t row = after.addRow();
    commit(after, QStringLiteral("添加"));
    return row;
}

std::size_t MapEditor::insertRows(std::size_t at, const std::vector<MapRow>& rows,
                                  const QString& text) {
    CTessaryDoc after = doc_;
    const std::size_t first = after.insertRows(at, rows);
    commit(after, text);
    return first;
}

long MapEditor::removeRows(const std::vector<std::size_t>& rows, const QString& text) {
    CTessaryDoc after = doc_;
    const long select = after.removeRows(rows);
    commit(after, text.isEmpty() ? QStringLiteral("选择删除") : text);
    return select;
}

void MapEditor::removeAll() {
    CTessaryDoc after = doc_;
    after.clear();
    commit(after, QStringLiteral("全部删除"));
}

int MapEditor::setField(std::size_t row, NumberField field, long long value) {
    CTessaryDoc after = doc_;
    const int stored = after.setField(row, field, value);
    commit(after, QStringLiteral("编辑"));
    return stored;
}

void MapEditor::setUse(std::size_t row, std::uint8_t use) {
    if (row >= doc_.rows().size())
        return;
    CTessaryDoc after = doc_;
    after.rows()[row].use = use;
    commit(after, QStringLiteral("用途"));
}

void MapEditor::setFunctionCode(std::size_t row, std::uint8_t code) {
    if (row >= doc_.rows().size())
        return;
    CTessaryDoc after = doc_;
    after.rows()[row].functionCode = code;
    commit(after, QStringLiteral("功能码"));
}

bool MapEditor::setDeviceAddress(int address) {
    CTessaryDoc after = doc_;
    if (!after.setDeviceAddress(address))
        return false;
    commit(after, QStringLiteral("设备配置"));
    return true;
}

} // namespace tessary
