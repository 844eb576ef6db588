#include "commands.h"

#include "designer_commands.h"

namespace tft::ide {

const std::vector<CommandInfo>& mainCommands() {
    static const std::vector<CommandInfo> commands{
        {cmd::NewProject, QKeySequence::New, Bar::Standard},
        {cmd::OpenProject, QKeySequence::Open, Bar::Standard},
        {cmd::OpenProjectFolder, {}, Bar::None},
        {cmd::NewPage, QKeySequence(QStringLiteral("Ctrl+Shift+N")), Bar::Standard},
        {cmd::OpenPage, QKeySequence(QStringLiteral("Ctrl+Shift+O")), Bar::None},
        {cmd::SaveProject, QKeySequence::Save, Bar::Standard},
        {cmd::BackupProject, {}, Bar::None},
        {cmd::CloseProject, {}, Bar::None},
        {cmd::Undo, QKeySequence(QStringLiteral("Ctrl+Z")), Bar::Standard},
        {cmd::Redo, QKeySequence(QStringLiteral("Ctrl+Y")), Bar::Standard},
        {cmd::Find, QKeySequence(QStringLiteral("Ctrl+F")), Bar::Find},
        {cmd::CompileProject, QKeySequence(QStringLiteral("F7")), Bar::Standard},
        {cmd::CompilePage, QKeySequence(QStringLiteral("Ctrl+F7")), Bar::Standard},
        {cmd::RunSimulator, QKeySequence(QStringLiteral("F5")), Bar::Standard},
        {cmd::Download, {}, Bar::SerialPort},
        {cmd::SyncDisplay, {}, Bar::SerialPort, true},
        {cmd::InstructionConsole, {}, Bar::SerialPort},
        {cmd::LockObjects, {}, Bar::Drawing, true},
        {cmd::ShowIds, {}, Bar::Drawing, true},
        {cmd::ProjectSettings, {}, Bar::None},
        {cmd::FontConfig, {}, Bar::None},
        {cmd::ImageEditor, {}, Bar::None},
        {cmd::ManageLibrary, {}, Bar::None},
        {cmd::ImportPictures, {}, Bar::None},
        {cmd::DeletePicture, {}, Bar::None},
        {cmd::Calculator, {}, Bar::None},
        {cmd::FontGenerator, {}, Bar::None},
        {cmd::FontViewer, {}, Bar::None},
        {cmd::ModbusConfig, {}, Bar::None},
        {cmd::DownloadWizard, {}, Bar::None},
        {cmd::DownloadWay, {}, Bar::None},
        {cmd::UpdatePictures, {}, Bar::None},
        {cmd::FirmwareEncrypt, {}, Bar::None},
        {cmd::FirmwareDecrypt, {}, Bar::None},
        {cmd::LanguageChinese, {}, Bar::None, true},
        {cmd::LanguageEnglish, {}, Bar::None, true},
        {cmd::RestoreLayout, {}, Bar::Layout},
        {cmd::QuickStart, QKeySequence(QStringLiteral("F1")), Bar::None},
        {cmd::Exit, QKeySequence(QStringLiteral("Ctrl+Q")), Bar::None},
    };
    return commands;
}

const std::vector<CommandInfo>& designerCommands() {
    static const std::vector<CommandInfo> commands = [] {
        using namespace designer;
        std::vector<CommandInfo> list{
            {Cut, QKeySequence::Cut, Bar::Standard},
            {Copy, QKeySequence::Copy, Bar::Standard},
            {Paste, QKeySequence::Paste, Bar::Standard},
            {DeleteSelection, {}, Bar::None},
            {DeleteAll, {}, Bar::None},
            {SelectAll, QKeySequence::SelectAll, Bar::None},
        };
        for (int id = ToolFirst; id <= ToolLast; ++id)
            list.push_back({id, {}, Bar::Drawing, true});
        list.push_back({Grid, QKeySequence(QStringLiteral("Ctrl+G")), Bar::Drawing, true});
        for (int id = OrderFirst; id <= OrderLast; ++id)
            list.push_back({id, {}, Bar::None});
        for (int id = AlignFirst; id <= AlignLast; ++id)
            if (isAlignCommand(id))
                list.push_back({id, {}, Bar::None});
        for (int id : {CopyPagePicture, SavePagePicture, AddPagePicture, ColourPicker,
                       ForegroundColour, BackgroundColour, MoreForegroundColours,
                       MoreBackgroundColours, SwapColours, DefaultColours})
            list.push_back({id, {}, Bar::None});
        return list;
    }();
    return commands;
}

bool isDesignerCommand(int id) {
    for (const CommandInfo& info : designerCommands())
        if (info.id == id)
            return true;
    return id == designer::Undo || id == designer::Redo;
}

} // namespace tft::ide
