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
    X(SyncDisplayOff, 40209) \
    X(FirmwareEncrypt, 32905) \
    X(FirmwareDecrypt, 32906) \
    X(FirmwareConverted, 61800) \
    X(FirmwareNotConverted, 61801) \
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
    X(FindTotal, 118) \
    X(FindHeaderCurrent, 119) \
    X(FindHeaderOpen, 120) \
    X(LibraryColumns, 40100) \
    X(ResourceColumns, 40101) \
    X(ManageLibrary, 32881) \
    X(DeletePicture, 32882) \
    X(ImportPictures, 32883) \
    X(ResourceGroupPages, 61450) \
    X(ResourceGroupImages, 61451) \
    X(ResourceGroupWaves, 61452) \
    X(ResourceMalformed, 61453) \
    X(CapacityText, 61454) \
    X(CapacityUnknown, 61455) \
    X(GroupShare, 61456) \
    X(FindScope, 61457) \
    X(FindScopeCurrent, 61458) \
    X(FindScopeOpen, 61459) \
    X(FindScopeProject, 61460) \
    X(FindMatchCase, 61461) \
    X(FindWholeName, 61462) \
    X(FindOptionsTitle, 61463) \
    X(FindHeaderProject, 61464) \
    X(LibraryLabel, 61465) \
    X(DeletePictureAsk, 61466) \
    X(DeletePictureFailed, 61467) \
    X(ImportFailed, 61468) \
    X(DropFailed, 61469) \
    X(PictureColumns, 61470) \
    X(NoLibrary, 61471) \
    X(PictureUnreadable, 61472) \
    X(CapacityTip, 61473) \
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
    X(PropertyReadOnly, 61368) \
    X(LinkNoDevice, 105) \
    X(ConsoleColumnNumber, 117) \
    X(ConsoleColumnCommand, 121) \
    X(ConsoleColumnComment, 122) \
    X(ConsoleColumnDirection, 131) \
    X(RtcYearRange, 150) \
    X(ConsoleColumnTime, 219) \
    X(SerialOpenFailed, 230) \
    X(LinkConnected, 40108) \
    X(LinkDisconnected, 40109) \
    X(PortRefresh, 40120) \
    X(LinkFirmware, 40123) \
    X(LinkSoftware, 61550) \
    X(ChoosePort, 61551) \
    X(LinkConnect, 61552) \
    X(LinkDisconnect, 61553) \
    X(PortCombo, 61554) \
    X(BaudCombo, 61555) \
    X(LogMenu, 61556) \
    X(LogCopy, 61557) \
    X(LogClear, 61558) \
    X(LogSave, 61559) \
    X(LogPaste, 61560) \
    X(LogFilter, 61561) \
    X(CustomPage, 61562) \
    X(CustomStep, 61563) \
    X(CustomRunAll, 61564) \
    X(CustomLoop, 61565) \
    X(CustomInterval, 61566) \
    X(CustomClear, 61567) \
    X(CustomImport, 61568) \
    X(CustomExport, 61569) \
    X(CustomNote, 61570) \
    X(CustomSend, 61571) \
    X(CommandTooLong, 61572) \
    X(CommandBadHex, 61573) \
    X(FieldInvalid, 61574) \
    X(LinkLost, 61575) \
    X(LinkUnknownFrame, 61576) \
    X(LinkImageIndex, 61577) \
    X(LogSaveFailed, 61578) \
    X(LinkOverlong, 61579) \
    X(ConsoleNotConnected, 61580) \
    X(DeviceTouch, 33006) \
    X(DeviceBeep, 33007) \
    X(DeviceCommand80, 33008) \
    X(DeviceClock, 33009) \
    X(DeviceBacklight, 33010) \
    X(DeviceBacklightSlider, 33011) \
    X(DeviceTouchOn, 33014) \
    X(DeviceTouchOff, 33015) \
    X(DeviceCalibrate, 33020) \
    X(DeviceTouchTest, 33021) \
    X(DeviceCursor, 33022) \
    X(DeviceClockOn, 40102) \
    X(DeviceClockOff, 40103) \
    X(DeviceTouchNote, 106) \
    X(MenuDevice, 61700) \
    X(ClockDisplayLabel, 61701) \
    X(ClockDisplayChoices, 61702) \
    X(ClockFormatLabel, 61703) \
    X(ClockFontLabel, 61704) \
    X(ClockColourLabel, 61705) \
    X(PositionX, 61706) \
    X(PositionY, 61707) \
    X(ClockSettingLabel, 61708) \
    X(ClockSettingChoices, 61709) \
    X(ClockDateLabel, 61710) \
    X(ClockTimeLabel, 61711) \
    X(CursorEnableLabel, 61712) \
    X(CursorWidthLabel, 61713) \
    X(CursorHeightLabel, 61714) \
    X(DeviceCoordinateRange, 61715) \
    X(DeviceBacklightRange, 61716) \
    X(DeviceFontRange, 61717) \
    X(DeviceCursorSizeRange, 61718) \
    X(DeviceDateInvalid, 61719) \
    X(ToolPointer, 32774) \
    X(ToolCurve, 32775) \
    X(ToolLine, 32776) \
    X(ToolRectangle, 32777) \
    X(ToolSolidRectangle, 32778) \
    X(ToolCircle, 32779) \
    X(ToolSolidCircle, 32780) \
    X(ToolEllipse, 32781) \
    X(ToolSolidEllipse, 32782) \
    X(ToolText, 32783) \
    X(ToolImage, 32784) \
    X(ToolButton, 32785) \
    X(ToolTextDisplay, 32786) \
    X(ToolProgress, 32787) \
    X(ToolMeter, 32788) \
    X(ToolSlider, 32789) \
    X(ToolClock, 32790) \
    X(ToolAnimation, 32791) \
    X(ToolGraph, 32792) \
    X(DeleteShapes, 32805) \
    X(DeleteAllShapes, 50000) \
    X(CutShapes, 57635) \
    X(CopyShapes, 57634) \
    X(PasteShapes, 57637) \
    X(SelectAllShapes, 57642) \
    X(OrderBackOne, 40000) \
    X(OrderForwardOne, 40001) \
    X(OrderToTop, 40002) \
    X(OrderToBottom, 40003) \
    X(OrderBackPastOverlap, 40004) \
    X(OrderForwardPastOverlap, 40005) \
    X(AlignLeft, 40010) \
    X(AlignTop, 40011) \
    X(AlignRight, 40012) \
    X(AlignBottom, 40013) \
    X(CentreHorizontally, 40020) \
    X(CentreVertically, 40021) \
    X(DistributeHorizontally, 40022) \
    X(DistributeVertically, 40023) \
    X(CentreVerticallyInPage, 40024) \
    X(CentreHorizontallyInPage, 40025) \
    X(SameWidth, 40026) \
    X(SameHeight, 40027) \
    X(SameSize, 40028) \
    X(ToggleGrid, 32868) \
    X(CopyPagePicture, 32886) \
    X(SavePagePicture, 32887) \
    X(AddPagePicture, 32888) \
    X(ColourPicker, 50001) \
    X(ForegroundColour, 50002) \
    X(BackgroundColour, 50003) \
    X(MoreForegroundColours, 50004) \
    X(MoreBackgroundColours, 50005) \
    X(SwapColours, 50006) \
    X(DefaultColours, 50007) \
    X(PageLocked, 40212) \
    X(SavePageQuestion, 61200) \
    X(MenuDraw, 61201) \
    X(MenuArrange, 61202) \
    X(PageLoadMessage, 61203) \
    X(PagePictureFailed, 61204) \
    X(ZoomLevel, 61205) \
    X(DownloadWizard, 32831) \
    X(DownloadWay, 32922) \
    X(UpdatePictures, 32924) \
    X(OpenPortFirst, 103) \
    X(WizardImages, 61750) \
    X(WizardFonts, 61751) \
    X(WizardKeyboard, 61752) \
    X(WizardScreens, 61753) \
    X(WizardModbus, 61754) \
    X(WizardFolder, 61755) \
    X(WizardMapFile, 61756) \
    X(WizardNote, 61757) \
    X(WizardStart, 61758) \
    X(WizardSdPacket, 61759) \
    X(MapFilter, 61760) \
    X(SdPacketFolder, 61761) \
    X(SdPacketFailed, 61762) \
    X(NothingChosen, 61763) \
    X(JobBusy, 61764) \
    X(ResourceFolderMissing, 61765) \
    X(MapMissing, 61766) \
    X(PackNotGenerated, 61767) \
    X(MapUnreadable, 61768) \
    X(MapNotChecked, 61769) \
    X(MapProjectUnreadable, 61770) \
    X(MapRowError, 61771) \
    X(MapRowWarning, 61772) \
    X(MapProblemsSummary, 61773) \
    X(MapSendAnyway, 61774) \
    X(MapClean, 61775) \
    X(DownloadViaAuto, 61776) \
    X(DownloadViaSerial, 61777) \
    X(RequestImageIndex, 61778) \
    X(UpdateColumns, 61779) \
    X(ChoosePicture, 61780) \
    X(PictureFilter, 61781) \
    X(ImageIndexFailed, 61782) \
    X(NoPictureChosen, 61783) \
    X(SdPacketWritten, 61784) \
    X(ChooseMapFile, 61785) \
    X(ChooseResourceFolder, 61786)
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
