// Command ids of the page designer: the tools, edit, order, align and size,
// grid, page picture and colour commands. The main window's menus and bars
// carry them and hand them to the active page view.
#pragma once

namespace tft::ide::designer {

enum : int {
    ToolPointer = 32774,
    ToolCurve = 32775,
    ToolLine = 32776,
    ToolFirst = 32774,
    ToolLast = 32792,
    DeleteSelection = 32805,
    DeleteAll = 50000,
    Cut = 57635,
    Copy = 57634,
    Paste = 57637,
    SelectAll = 57642,
    Undo = 57643,
    Redo = 57644,
    OrderFirst = 40000, // .. 40005
    OrderLast = 40005,
    AlignFirst = 40010, // 40010-40013, 40020-40028
    AlignLast = 40028,
    Grid = 32868,
    CopyPagePicture = 32886,
    SavePagePicture = 32887,
    AddPagePicture = 32888,
    ColourPicker = 50001,
    ForegroundColour = 50002,
    BackgroundColour = 50003,
    MoreForegroundColours = 50004,
    MoreBackgroundColours = 50005,
    SwapColours = 50006,
    DefaultColours = 50007,
};

// The align, centre, distribute and size commands (40010-40013, 40020-40028).
inline bool isAlignCommand(int id) {
    return (id >= 40010 && id <= 40013) || (id >= 40020 && id <= AlignLast);
}

} // namespace tft::ide::designer
