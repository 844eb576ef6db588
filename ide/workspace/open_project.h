// The open project: its project file as an XML document (what the tree shows
// and the edits change), the project model the compiler reads (loaded through
// velmic_model with the IDE's own message sink), and the workspace operations
// on both. Every file written here is written atomically.
#pragma once

#include "compiler/device_catalogue.h"
#include "compiler/project.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <memory>
#include <pugixml.hpp>

namespace tft::ide {

enum class Group { Pages, Images, Sounds, Code };

// Result of an operation: ok, or a message for the user.
struct Outcome {
    bool ok = true;
    QString message;
    static Outcome failure(QString text) { return {false, std::move(text)}; }
};

enum class RenameResult { Renamed, Unchanged, InvalidName, NotUnique, Failed };

// A project file by its extension, compared without regard to case (drops).
bool isProjectFile(const QString& path);

// Letters, digits and underscores, not starting with a digit.
bool isValidPageName(const QString& name);

// The project text a new project starts from, with its name and model filled in.
std::string builtInProjectText(const std::string& name = "Test", int deviceType = 0);

// The backup folder of a project: <parent>/<name>_YYYYMMDDhhmmss.
QString backupFolderName(const QString& parent, const QString& projectName, const QDateTime& now);

class ProjectWorkspace {
public:
    explicit ProjectWorkspace(const DeviceCatalogue& catalogue);

    // Opens a project file. On failure nothing is open and `message` names the
    // file (and the parser's offset when it did not parse).
    Outcome open(const QString& path);
    void close();
    bool isOpen() const { return open_; }
    bool readOnly() const { return readOnly_; }

    // Creates <parent>/<name>/<name>.tftprj with `Name` and `DeviceType` set.
    // An existing folder is refused with string 500 and left alone.
    static Outcome create(const QString& parent, const QString& name, int deviceType,
                          QString& projectFile);

    QString path() const { return path_; }
    QString folder() const { return folder_; } // with a trailing '/'
    QString title() const { return title_; }   // file name without extension
    // The `Name` attribute: velmic names its output files after it.
    QString projectName() const;
    QString startupPage() const;
    int deviceType() const;
    const DeviceProp* device() const;
    QString outputFolder() const; // absolute, with a trailing '/'
    // outputFolder() + projectName(): the base of the .si, .tftres and packs.
    QString outputBase() const;

    // `RelativePath` of every entry of a group, as written, in file order.
    QStringList entries(Group group) const;
    // C and header files in the output folder, sorted.
    QStringList codeFiles() const;
    // The full path of an entry.
    QString absolute(const QString& relative) const;
    static QString pageName(const QString& relative);

    // The model as loaded when the project was opened.
    const CProject& model() const { return *model_; }
    const pugi::xml_document& document() const { return doc_; }

    // Screen%d.tft with the first free number, made the start page when none is set.
    Outcome newPage(QString& relative);
    struct Added {
        QStringList entries;  // RelativePath of each added file
        QStringList pages;    // full paths of added pages (to open)
        QStringList problems; // one line per file that was not added
    };
    Added addFiles(const QStringList& files);
    Outcome remove(Group group, const QString& relative);
    RenameResult renamePage(const QString& relative, const QString& newName, QString& newRelative,
                            QString& message);
    Outcome renameProject(const QString& newName);
    // Sets one attribute of the project root and writes the file at once.
    Outcome setProjectAttribute(const std::string& name, const std::string& value);
    Outcome save();
    Outcome backup(const QString& parent, const QDateTime& now, QString& target) const;

private:
    Outcome loadModel();
    pugi::xml_node groupNode(Group group) const;
    Outcome writable() const;

    const DeviceCatalogue& catalogue_;
    bool open_ = false;
    bool readOnly_ = false;
    QString path_, folder_, title_;
    pugi::xml_document doc_;
    std::unique_ptr<CProject> model_;
};

} // namespace tft::ide
