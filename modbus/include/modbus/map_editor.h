// Edits of a map document. Every change goes through the undo stack as a
// whole-document snapshot (maps are small), so undo and redo restore exactly
// what was there; views call these and never change the document themselves.
#pragma once

#include "modbus/map_model.h"

#include <QObject>
#include <QUndoStack>
#include <cstddef>
#include <vector>

namespace tessary {

class MapEditor : public QObject {
    Q_OBJECT
public:
    explicit MapEditor(QObject* parent = nullptr);

    const CTessaryDoc& document() const { return doc_; }
    QUndoStack* undoStack() { return &undo_; }

    // Replaces the document (after a load); clears the undo history.
    void reset(const CTessaryDoc& doc);

    // Appends a new row; returns its index.
    std::size_t addRow();
    // Inserts rows before `at` as one step named `text`; returns the first one's index.
    std::size_t insertRows(std::size_t at, const std::vector<MapRow>& rows, const QString& text);
    // Returns the row to select afterwards (-1: none), as CTessaryDoc::removeRows.
    // `text` names the undo step ("选择删除" unless given).
    long removeRows(const std::vector<std::size_t>& rows, const QString& text = {});
    void removeAll();
    // Clamps and stores; returns the stored value. No undo step when nothing changes.
    int setField(std::size_t row, NumberField field, long long value);
    void setUse(std::size_t row, std::uint8_t use);
    void setFunctionCode(std::size_t row, std::uint8_t code);
    // False (and no change) outside 201-210.
    bool setDeviceAddress(int address);

    // Applied by the undo commands.
    void apply(const CTessaryDoc& doc);

signals:
    // The rows changed: views rebuild from the document.
    void documentChanged();

private:
    void commit(const CTessaryDoc& after, const QString& text);

    CTessaryDoc doc_;
    QUndoStack undo_;
};

} // namespace tessary
