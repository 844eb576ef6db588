#include "modbus/map_editor.h"

#include <gtest/gtest.h>

using namespace tessary;

TEST(MapEditorTest, UseChangeToScreenChangeKeepsStoredIds) {
    MapEditor editor;
    editor.setField(0, NumberField::ScreenId, 12);
    editor.setField(0, NumberField::ControlId, 34);
    editor.setUse(0, kUseScreenChange);
    const MapRow& row = editor.document().rows()[0];
    EXPECT_EQ(row.use, kUseScreenChange);
    EXPECT_EQ(row.screenId, 12);
    EXPECT_EQ(row.controlId, 34);
    editor.setUse(0, kUseControlUpdate);
    EXPECT_EQ(editor.document().rows()[0].screenId, 12);
}

TEST(MapEditorTest, EditsAreClampedAndUndoneStepByStep) {
    MapEditor editor;
    int changes = 0;
    QObject::connect(&editor, &MapEditor::documentChanged, [&changes] { ++changes; });
    EXPECT_EQ(editor.setField(0, NumberField::Slave, 0), 1); // new row already holds 1
    EXPECT_EQ(editor.undoStack()->count(), 0);               // nothing changed: no step
    EXPECT_EQ(editor.setField(0, NumberField::Slave, 999), 254);
    editor.addRow();
    editor.removeAll();
    EXPECT_TRUE(editor.document().rows().empty());
    EXPECT_EQ(editor.undoStack()->count(), 3);
    editor.undoStack()->undo();
    EXPECT_EQ(editor.document().rows().size(), 2u);
    editor.undoStack()->undo();
    editor.undoStack()->undo();
    ASSERT_EQ(editor.document().rows().size(), 1u);
    EXPECT_EQ(editor.document().rows()[0].slave, 1);
    editor.undoStack()->redo();
    EXPECT_EQ(editor.document().rows()[0].slave, 254);
    EXPECT_EQ(changes, 7);
}

TEST(MapEditorTest, DeviceAddressIsValidatedAndUndoable) {
    MapEditor editor;
    EXPECT_FALSE(editor.setDeviceAddress(211));
    EXPECT_EQ(editor.undoStack()->count(), 0);
    EXPECT_TRUE(editor.setDeviceAddress(209));
    EXPECT_EQ(editor.document().deviceAddress(), 209);
    editor.undoStack()->undo();
    EXPECT_EQ(editor.document().deviceAddress(), 201);
}

TEST(MapEditorTest, ResetClearsHistoryAndMarksClean) {
    MapEditor editor;
    editor.addRow();
    CTessaryDoc loaded;
    loaded.clear();
    editor.reset(loaded);
    EXPECT_EQ(editor.undoStack()->count(), 0);
    EXPECT_TRUE(editor.undoStack()->isClean());
    EXPECT_TRUE(editor.document().rows().empty());
}

TEST(MapEditorTest, ClipboardRowsRoundTripAndRefuseBrokenData) {
    MapRow a;
    a.screenId = 0x1234;
    a.use = kUseSystemTime;
    a.reserved[6] = 0x5A; // kept as it was, like a file's bytes
    MapRow b;
    b.slave = 254;
    const std::vector<std::uint8_t> bytes = encodeRows({a, b});
    ASSERT_EQ(bytes.size(), 32u);
    EXPECT_EQ(bytes[0], 0x34);
    EXPECT_EQ(bytes[1], 0x12);
    std::vector<MapRow> back;
    ASSERT_TRUE(decodeRows(bytes.data(), bytes.size(), &back));
    EXPECT_EQ(back, (std::vector<MapRow>{a, b}));

    std::vector<MapRow> untouched{a};
    EXPECT_FALSE(decodeRows(bytes.data(), 31, &untouched)); // not whole rows
    EXPECT_FALSE(decodeRows(bytes.data(), 0, &untouched));
    EXPECT_FALSE(decodeRows(nullptr, 16, &untouched));
    const std::vector<std::uint8_t> huge(kMaxMapFileSize + kRowSize);
    EXPECT_FALSE(decodeRows(huge.data(), huge.size(), &untouched));
    EXPECT_EQ(untouched, std::vector<MapRow>{a});
}

TEST(MapEditorTest, InsertedRowsAreOneUndoStep) {
    MapEditor editor; // one new row
    MapRow pasted;
    pasted.controlId = 7;
    EXPECT_EQ(editor.insertRows(1, {pasted, pasted}, QStringLiteral("粘贴")), 1u);
    EXPECT_EQ(editor.insertRows(99, {pasted}, QStringLiteral("粘贴")),
              3u); // past the end: appended
    ASSERT_EQ(editor.document().rows().size(), 4u);
    EXPECT_EQ(editor.document().rows()[0].controlId, 0);
    EXPECT_EQ(editor.document().rows()[1].controlId, 7);
    EXPECT_EQ(editor.undoStack()->text(0), QStringLiteral("粘贴"));
    editor.undoStack()->undo();
    editor.undoStack()->undo();
    EXPECT_EQ(editor.document().rows().size(), 1u);
    EXPECT_EQ(editor.removeRows({0}, QStringLiteral("剪切")), -1);
    EXPECT_EQ(editor.undoStack()->text(editor.undoStack()->count() - 1), QStringLiteral("剪切"));
}
