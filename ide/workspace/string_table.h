// The IDE's user-visible texts, one per string id, from data/lang/chinese.xml
// or english.xml. Every id the IDE uses is listed once in `kIdeStrings`, so a
// test can prove that both tables hold all of them.
#pragma once

#include <QHash>
#include <QString>
#include <vector>

namespace tft::ide {

// X(name, id): the strings the IDE shows.
// clang-format off
#define TFT_IDE_STRINGS(X) \
    X(NewProject, 32812) \
    X(OpenProject, 32813) \
    X(OpenProjectFolder, 32815) \
    X(NewPage, 57600) \
    X(OpenPage, 57601) \
    X(SaveProject, 32935) \
    X(BackupProject, 32936) \
    X(CloseProject, 32814) \
    X(RecentProjects, 32900) \
    X(CompileProject, 32818) \
    X(CompilePage, 32819) \
    X(RunSimulator, 32925) \
    X(InstructionConsole, 32824) \
    X(Download, 40202) \
    X(SyncDisplay, 40210) \
    X(LockObjects, 40124) \
    X(ShowIds, 40125) \
    X(ProjectSettings, 32918) \
    X(ImageEditor, 32829) \
    X(Calculator, 32830) \
    X(FontGenerator, 32929) \
    X(FontViewer, 32930) \
    X(ModbusConfig, 40211) \
    X(QuickStart, 57667) \
    X(LanguageChinese, 50010) \
    X(LanguageEnglish, 50011) \
    X(RestoreLayout, 32916) \
    X(FontConfig, 32960) \
    X(Undo, 57643) \
    X(Redo, 57644) \
    X(Find, 57636) \
    X(Exit, 57665) \
    X(About, 57664) \
    X(PaneProject, 4000) \
    X(PaneProperties, 4001) \
    X(PaneOutput, 4002) \
    X(PaneInstructions, 4003) \
    X(PanePictures, 4004) \
    X(PaneResources, 4005) \
    X(PaneFind, 4006) \
    X(GroupPages, 33016) \
    X(GroupImages, 33017) \
    X(GroupSounds, 33018) \
    X(GroupCode, 33019) \
    X(TreeAdd, 32871) \
    X(TreeOpen, 32875) \
    X(TreeRemove, 32876) \
    X(TreeRename, 32877) \
    X(BadName, 107) \
    X(NameNotUnique, 108) \
    X(DeviceLabels, 111) \
    X(Supported, 112) \
    X(NotSupported, 113) \
    X(Series1, 152) \
    X(Series2, 153) \
    X(Series3, 154) \
    X(Series4, 155) \
    X(Series5, 156) \
    X(Series6, 157) \
    X(Series7, 158) \
    X(DownloadOverUsb, 138) \
    X(DownloadOverSerial, 139) \
    X(DeviceOpenFailed, 40110) \
    X(DownloadSucceeded, 40200) \
    X(DownloadFailed, 40201) \
    X(DownloadImages, 40203) \
    X(DownloadVoices, 40204) \
    X(DownloadFonts, 40205) \
    X(DownloadScreens, 40206) \
    X(DownloadKeyboard, 40207) \
    X(DownloadModbus, 40208) \
    X(ImageUpdateStart, 61650) \
    X(ImageUnreadable, 61651) \
    X(DeviceCloseFailed, 61652) \
    X(ProjectExists, 500) \
    X(MenuFile, 61000) \
    X(MenuEdit, 61001) \
    X(MenuView, 61002) \
    X(MenuProject, 61003) \
    X(MenuTools, 61004) \
    X(MenuLanguage, 61005) \
    X(MenuHelp, 61006) \
    X(MenuWindow, 61007) \
    X(BarMainMenu, 61010) \
    X(BarStandard, 61011) \
    X(BarFind, 61012) \
    X(BarSerialPort, 61013) \
    X(BarDrawing, 61014) \
    X(BarLayout, 61015) \
    X(ProjectOpenFailed, 61100) \
    X(PageOpenFailed, 61101) \
    X(AtOffset, 61102) \
    X(FileMissing, 61103) \
    X(FolderReadOnly, 61104) \
    X(SaveFailed, 61105) \
    X(BackupFailed, 61106) \
    X(BackupDone, 61107) \
    X(NoCalculator, 61108) \
    X(CannotStart, 61109) \
    X(CompilerExit, 61110) \
    X(ProjectName, 61111) \
    X(ProjectLocation, 61112) \
    X(DeviceModel, 61113) \
    X(Series, 61114) \
    X(SeriesAll, 61115) \
    X(Browse, 61116) \
    X(AddFiles, 61117) \
    X(PageFiles, 61118) \
    X(ImageFiles, 61119) \
    X(SoundFiles, 61120) \
    X(ProjectFiles, 61121) \
    X(RenamePrompt, 61122) \
    X(FontGridCorner, 61123) \
    X(CatalogueSaveFailed, 61124) \
    X(DesignerPending, 61125) \
    X(Ready, 61126) \
    X(NoGuide, 61128) \
    X(ReadOnlyTitle, 61130) \
    X(CopyFailed, 61132) \
    X(CreateFailed, 61133) \
    X(AppTitle, 61134) \
    X(NoProjectOpen, 61135) \
    X(ProjectTitle, 61136) \
    X(JobQueued, 61137) \
    X(CatalogueSaved, 61138) \
    X(DocumentSaveFailed, 61139) \
    X(FontPackWritten, 61140) \
    X(FontPackFailed, 61141) \
    X(KeyboardPackWritten, 61142) \
    X(KeyboardPackFailed, 61143) \
    X(DriverCopied, 61144) \
    X(DriverCopyFailed, 61145) \
    X(BuildFailedNoPacks, 61146) \
    X(UnknownDeviceType, 61147) \
    X(PropertyFilter, 61350) \
    X(PropertyNotInteger, 61351) \
    X(PropertyNotNumber, 61352) \
    X(PropertyBadColour, 61353) \
    X(PropertyNegative, 61354) \
    X(PropertyOutOfRange, 61355) \
    X(PropertyNotAChoice, 61356) \
    X(PropertyRejected, 61357) \
    X(PropertyBadActions, 61358) \
    X(ActionEditorTitle, 61359) \
    X(ActionAdd, 61360) \
    X(ActionRemove, 61361) \
    X(ActionUp, 61362) \
    X(ActionDown, 61363) \
    X(ActionCount, 61364) \
    X(PropertyFileFilter, 61365) \
    X(PropertyAnimationFilter, 61366) \
    X(PropertyImportFailed, 61367) \
    X(PropertyReadOnly, 61368)
// clang-format on

namespace sid {
#define TFT_IDE_STRING_ENUM(name, id) name = id,
enum : int { TFT_IDE_STRINGS(TFT_IDE_STRING_ENUM) };
#undef TFT_IDE_STRING_ENUM
} // namespace sid

// Every id of the list above.
const std::vector<int>& ideStringIds();

class StringTable {
public:
    // Reads <strings><string id="N">text</string>...</strings>. False (with
    // `error`) when the file does not read; the table is then left as it was.
    bool load(const QString& file, QString* error = nullptr);
    bool contains(int id) const { return texts_.contains(id); }
    // The text, or "#<id>" for an id the table lacks (visible, never empty).
    QString text(int id) const;

private:
    QHash<int, QString> texts_;
};

// The file of a language id (50010 chinese.xml, else english.xml).
QString languageFile(const QString& appDir, int languageId);

// The table the running IDE shows (empty until a language is loaded).
StringTable& currentStrings();
inline QString ideText(int id) {
    return currentStrings().text(id);
}

} // namespace tft::ide
