// The main window's commands: id (also the string id of the caption), the
// shortcut a Linux user expects, and the command bar that carries it.
#pragma once

#include <QKeySequence>
#include <vector>

namespace tft::ide {

namespace cmd {
enum : int {
    NewProject = 32812,
    OpenProject = 32813,
    OpenProjectFolder = 32815,
    NewPage = 57600,
    OpenPage = 57601,
    SaveProject = 32935,
    BackupProject = 32936,
    CloseProject = 32814,
    Recent1 = 32900, // .. 32904
    CompileProject = 32818,
    CompilePage = 32819,
    RunSimulator = 32925,
    InstructionConsole = 32824,
    Download = 40202,
    SyncDisplay = 40210,
    DownloadWizard = 32831,
    DownloadWay = 32922,
    UpdatePictures = 32924,
    FirmwareEncrypt = 32905,
    FirmwareDecrypt = 32906,
    LockObjects = 40124,
    ShowIds = 40125,
    ProjectSettings = 32918,
    ImageEditor = 32829,
    Calculator = 32830,
    FontGenerator = 32929,
    FontViewer = 32930,
    ModbusConfig = 40211,
    QuickStart = 57667,
    LanguageChinese = 50010,
    LanguageEnglish = 50011,
    RestoreLayout = 32916,
    FontConfig = 32960,
    Undo = 57643,
    Redo = 57644,
    Find = 57636,
    FindText = 32949, // the find combo: search with its text
    ManageLibrary = 32881,
    DeletePicture = 32882,
    ImportPictures = 32883,
    Exit = 57665,
    PaneFirst = 4000, // .. 4006
    TreeAdd = 32871,
    TreeOpen = 32875,
    TreeRemove = 32876,
    TreeRename = 32877,
    // The serial tool bar's port combo, connect button and baud combo.
    PortCombo = 33001,
    ToggleConnection = 33004,
    BaudCombo = 33005,
};
} // namespace cmd

enum class Bar { None, Standard, Find, SerialPort, Drawing, Layout };

struct CommandInfo {
    int id;
    QKeySequence shortcut;
    Bar bar;
    bool checkable = false;
};

// Every command of the main window's menus, in menu order.
const std::vector<CommandInfo>& mainCommands();

// The page designer's commands (designer_commands.h), which the main window
// hands to the active page view.
const std::vector<CommandInfo>& designerCommands();
bool isDesignerCommand(int id);

} // namespace tft::ide
