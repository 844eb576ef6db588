#include "open_project.h"

#include "common/atomic_file.h"
#include "common/paths.h"
#include "compiler/item_editor.h"
#include "compiler/item_registry.h"
#include "message_collector.h"
#include "string_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sstream>

namespace tft::ide {

namespace fs = std::filesystem;

namespace {

const char* groupElement(Group group) {
    switch (group) {
    case Group::Pages:
        return "Page";
    case Group::Images:
        return "Image";
    case Group::Sounds:
        return "Wave";
    case Group::Code:
        break;
    }
    return "";
}

const char* groupContainer(Group group) {
    switch (group) {
    case Group::Pages:
        return "Pages";
    case Group::Images:
        return "Images";
    case Group::Sounds:
        return "Waves";
    case Group::Code:
        break;
    }
    return "";
}

bool groupOfFile(const QString& file, Group& group) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("tft"))
        group = Group::Pages;
    else if (QStringList{"bmp", "jpg", "jpeg", "gif", "png", "wmf"}.contains(suffix))
        group = Group::Images;
    else if (suffix == QLatin1String("wav"))
        group = Group::Sounds;
    else
        return false;
    return true;
}

fs::path nativePath(const QString& path) {
    return fs::path(path.toStdString());
}

QString parseProblem(const pugi::xml_parse_result& parsed) {
    return ideText(sid::AtOffset)
        .arg(QString::fromUtf8(parsed.description()))
        .arg(static_cast<qint64>(parsed.offset));
}

QString joined(const std::vector<std::string>& lines) {
    QStringList out;
    for (const auto& line : lines)
        out << QString::fromStdString(line);
    return out.join(QLatin1Char('\n'));
}

} // namespace

bool isProjectFile(const QString& path) {
    return path.endsWith(QStringLiteral(".tftprj"), Qt::CaseInsensitive);
}

bool isValidPageName(const QString& name) {
    if (name.isEmpty() || name.at(0).isDigit())
        return false;
    for (const QChar c : name) {
        const bool ascii = c.unicode() < 128;
        if (!ascii || !(c.isLetterOrNumber() || c == QLatin1Char('_')))
            return false;
    }
    return true;
}

std::string builtInProjectText(const std::string& name, int deviceType) {
    pugi::xml_document doc;
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = doc.append_child("Orvane");
    const std::string type = std::to_string(deviceType);
    const std::pair<const char*, const char*> attributes[] = {
        {"Name", name.c_str()},
        {"OutputDirectory", "output\\"},
        {"StartupPage", ""},
        {"StartupAction", ""},
        {"StartupActionLoop", "1"},
        {"DeviceType", type.c_str()},
        {"DeviceEnableControl", "1"},
        {"DeviceEnableTouchPane", "1"},
        {"DeviceEnableBuzzer", "2"},
        {"DeviceBaudRate", "3"},
        {"DeviceCoordinateUpdateMode", "4"},
        {"DeviceControlNotify", "2"},
        {"DeviceScreenNotify", "0"},
        {"DeviceScreenRvs", "0"},
        {"DeviceBacklightAutoControl", "0"},
        {"DeviceBacklightTime", "10"},
        {"DeviceBacklightOn", "200"},
        {"DeviceBacklightOff", "50"},
        {"Version", "1.0"},
    };
    for (const auto& [key, value] : attributes)
        root.append_attribute(key) = value;
    root.append_child("Pages");
    root.append_child("Images");
    root.append_child("Waves");
    std::ostringstream text;
    doc.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
    return text.str();
}

QString backupFolderName(const QString& parent, const QString& projectName, const QDateTime& now) {
    return QDir(parent).filePath(projectName + now.toString(QStringLiteral("_yyyyMMddHHmmss")));
}

ProjectWorkspace::ProjectWorkspace(const DeviceCatalogue& catalogue)
    : catalogue_(catalogue), model_(std::make_unique<CProject>()) {
    ensureItemFactoriesRegistered();
    close();
}

Outcome ProjectWorkspace::open(const QString& path) {
    const QFileInfo info(path);
    if (open_ && info.absoluteFilePath() == path_)
        return {};
    close();
    if (!info.isFile())
        return Outcome::failure(
            ideText(sid::ProjectOpenFailed).arg(path, ideText(sid::FileMissing)));
    const QString absolute = info.absoluteFilePath();
    const pugi::xml_parse_result parsed = doc_.load_file(absolute.toStdString().c_str());
    if (!parsed) {
        doc_.reset();
        return Outcome::failure(
            ideText(sid::ProjectOpenFailed).arg(absolute, parseProblem(parsed)));
    }
    path_ = absolute;
    folder_ = info.absolutePath() + QLatin1Char('/');
    title_ = info.completeBaseName();
    const Outcome loaded = loadModel();
    if (!loaded.ok) {
        close();
        return loaded;
    }
    readOnly_ = !QFileInfo(info.absolutePath()).isWritable() || !info.isWritable();
    open_ = true;
    return {};
}

Outcome ProjectWorkspace::loadModel() {
    MessageCollector sink;
    auto model = std::make_unique<CProject>();
    model->setMessageSink(&sink);
    if (!model->load(path_.toStdString(), catalogue_)) {
        // Name the page that did not parse, with the parser's offset.
        for (const QString& relative : entries(Group::Pages)) {
            const QString file = absolute(relative);
            pugi::xml_document page;
            const pugi::xml_parse_result parsed = page.load_file(file.toStdString().c_str());
            if (!parsed)
                return Outcome::failure(
                    ideText(sid::PageOpenFailed).arg(file, parseProblem(parsed)));
        }
        return Outcome::failure(ideText(sid::ProjectOpenFailed).arg(path_, joined(sink.lines())));
    }
    model->setMessageSink(nullptr);
    model_ = std::move(model);
    return {};
}

void ProjectWorkspace::close() {
    open_ = false;
    readOnly_ = false;
    path_.clear();
    folder_.clear();
    title_.clear();
    doc_.reset();
    doc_.load_string(builtInProjectText().c_str());
    model_ = std::make_unique<CProject>();
}

Outcome ProjectWorkspace::create(const QString& parent, const QString& name, int deviceType,
                                 QString& projectFile) {
    if (!isValidPageName(name))
        return Outcome::failure(ideText(sid::BadName));
    const QString folder = QDir(parent).filePath(name);
    if (QFileInfo::exists(folder))
        return Outcome::failure(ideText(sid::ProjectExists));
    if (!QDir().mkpath(folder))
        return Outcome::failure(ideText(sid::CreateFailed).arg(folder));
    projectFile = QDir(folder).filePath(name + QStringLiteral(".tftprj"));
    std::string error;
    if (!writeFileAtomically(nativePath(projectFile),
                             builtInProjectText(name.toStdString(), deviceType), &error))
        return Outcome::failure(ideText(sid::CreateFailed).arg(QString::fromStdString(error)));
    return {};
}

QString ProjectWorkspace::projectName() const {
    return QString::fromUtf8(doc_.document_element().attribute("Name").as_string());
}

QString ProjectWorkspace::startupPage() const {
    return QString::fromUtf8(doc_.document_element().attribute("StartupPage").as_string());
}

int ProjectWorkspace::deviceType() const {
    return doc_.document_element().attribute("DeviceType").as_int();
}

const DeviceProp* ProjectWorkspace::device() const {
    return catalogue_.findByType(deviceType());
}

QString ProjectWorkspace::outputFolder() const {
    std::string setting =
        doc_.document_element().attribute("OutputDirectory").as_string("output\\");
    if (checkConfinement(setting) != Confinement::Inside)
        setting = "output\\";
    QString folder = folder_ + QString::fromStdString(toNativeSeparators(setting));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString ProjectWorkspace::outputBase() const {
    const QString name = projectName();
    return outputFolder() + (name.isEmpty() ? title_ : name);
}

pugi::xml_node ProjectWorkspace::groupNode(Group group) const {
    return doc_.document_element().child(groupContainer(group));
}

QStringList ProjectWorkspace::entries(Group group) const {
    if (group == Group::Code)
        return codeFiles();
    QStringList out;
    for (const pugi::xml_node entry : groupNode(group).children(groupElement(group)))
        out << QString::fromUtf8(entry.attribute("RelativePath").as_string());
    return out;
}

QStringList ProjectWorkspace::codeFiles() const {
    if (!open_)
        return {};
    return QDir(outputFolder())
        .entryList({QStringLiteral("*.c"), QStringLiteral("*.h")}, QDir::Files, QDir::Name);
}

QString ProjectWorkspace::absolute(const QString& relative) const {
    return folder_ + QString::fromStdString(toNativeSeparators(relative.toStdString()));
}

QString ProjectWorkspace::pageName(const QString& relative) {
    QString file =
        relative.mid(relative.lastIndexOf(QRegularExpression(QStringLiteral("[\\\\/]"))) + 1);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? file : file.left(dot);
}

Outcome ProjectWorkspace::writable() const {
    if (!open_ || readOnly_)
        return Outcome::failure(ideText(sid::FolderReadOnly));
    return {};
}

Outcome ProjectWorkspace::save() {
    if (Outcome ok = writable(); !ok.ok)
        return ok;
    std::string error;
    if (!saveDocumentAtomically(doc_, path_.toStdString(), &error))
        return Outcome::failure(ideText(sid::SaveFailed).arg(QString::fromStdString(error)));
    return {};
}

Outcome ProjectWorkspace::newPage(QString& relative) {
    if (Outcome ok = writable(); !ok.ok)
        return ok;
    const QStringList pages = entries(Group::Pages);
    int number = 0;
    while (pages.contains(QStringLiteral("Screen%1.tft").arg(number)))
        ++number;
    relative = QStringLiteral("Screen%1.tft").arg(number);
    const QString file = absolute(relative);
    // A page file left behind by a removed page is kept aside, not overwritten.
    if (QFileInfo::exists(file)) {
        QFile::remove(file + QLatin1Char('~'));
        QFile::rename(file, file + QLatin1Char('~'));
    }
    CItemEditor page;
    page.setName(pageName(relative).toStdString());
    std::string error;
    if (!page.save(file.toStdString(), &error))
        return Outcome::failure(ideText(sid::SaveFailed).arg(QString::fromStdString(error)));
    pugi::xml_node pagesNode = groupNode(Group::Pages);
    if (!pagesNode)
        pagesNode = doc_.document_element().prepend_child("Pages");
    pagesNode.append_child("Page").append_attribute("RelativePath") =
        relative.toStdString().c_str();
    pugi::xml_node root = doc_.document_element();
    if (startupPage().isEmpty()) {
        pugi::xml_attribute startup = root.attribute("StartupPage");
        if (!startup)
            startup = root.append_attribute("StartupPage");
        startup = pageName(relative).toStdString().c_str();
    }
    return save();
}

ProjectWorkspace::Added ProjectWorkspace::addFiles(const QStringList& files) {
    Added added;
    if (Outcome ok = writable(); !ok.ok) {
        added.problems << ok.message;
        return added;
    }
    const QString root = QFileInfo(folder_).canonicalFilePath() + QLatin1Char('/');
    for (const QString& file : files) {
        Group group;
        const QFileInfo info(file);
        if (!info.isFile() || !groupOfFile(file, group)) {
            added.problems << ideText(sid::CopyFailed).arg(file, ideText(sid::FileMissing));
            continue;
        }
        QString inside = info.canonicalFilePath();
        if (!inside.startsWith(root)) {
            // A file from elsewhere is copied into the project folder; a file
            // of that name already there is never replaced.
            QString target = folder_ + info.fileName();
            for (int n = 1; QFileInfo::exists(target); ++n)
                target = folder_ + info.completeBaseName() + QStringLiteral("_%1.").arg(n) +
                         info.suffix();
            if (!QFile::copy(file, target)) {
                added.problems << ideText(sid::CopyFailed).arg(file, target);
                continue;
            }
            inside = QFileInfo(target).canonicalFilePath();
        }
        const QString relative =
            inside.mid(root.size()).replace(QLatin1Char('/'), QLatin1Char('\\'));
        if (entries(group).contains(relative))
            continue;
        pugi::xml_node container = groupNode(group);
        if (!container)
            container = doc_.document_element().append_child(groupContainer(group));
        pugi::xml_node entry = container.append_child(groupElement(group));
        entry.append_attribute("RelativePath") = relative.toStdString().c_str();
        if (group == Group::Images)
            entry.append_attribute("Download") = "0";
        added.entries << relative;
        if (group == Group::Pages)
            added.pages << absolute(relative);
    }
    if (!added.entries.isEmpty()) {
        if (Outcome saved = save(); !saved.ok)
            added.problems << saved.message;
    }
    return added;
}

Outcome ProjectWorkspace::remove(Group group, const QString& relative) {
    if (Outcome ok = writable(); !ok.ok)
        return ok;
    pugi::xml_node container = groupNode(group);
    for (pugi::xml_node entry : container.children(groupElement(group))) {
        if (QString::fromUtf8(entry.attribute("RelativePath").as_string()) == relative) {
            container.remove_child(entry);
            return save();
        }
    }
    return {};
}

RenameResult ProjectWorkspace::renamePage(const QString& relative, const QString& newName,
                                          QString& newRelative, QString& message) {
    if (!isValidPageName(newName)) {
        message = ideText(sid::BadName);
        return RenameResult::InvalidName;
    }
    const QString oldName = pageName(relative);
    if (newName == oldName)
        return RenameResult::Unchanged;
    const qsizetype cut = relative.lastIndexOf(QRegularExpression(QStringLiteral("[\\\\/]"))) + 1;
    newRelative = relative.left(cut) + newName + QStringLiteral(".tft");
    const std::string query = "//*[@RelativePath=\"" + newRelative.toStdString() + "\"]";
    const QString newFile = absolute(newRelative);
    if (doc_.select_node(query.c_str()) || QFileInfo::exists(newFile)) {
        message = ideText(sid::NameNotUnique);
        return RenameResult::NotUnique;
    }
    if (Outcome ok = writable(); !ok.ok) {
        message = ok.message;
        return RenameResult::Failed;
    }
    const QString oldFile = absolute(relative);
    pugi::xml_document page;
    const pugi::xml_parse_result parsed = page.load_file(oldFile.toStdString().c_str());
    if (!parsed) {
        message = ideText(sid::PageOpenFailed).arg(oldFile, parseProblem(parsed));
        return RenameResult::Failed;
    }
    pugi::xml_node root = page.document_element();
    (root.attribute("name") ? root.attribute("name") : root.prepend_attribute("name")) =
        newName.toStdString().c_str();
    std::string error;
    if (!saveDocumentAtomically(page, newFile.toStdString(), &error)) {
        message = ideText(sid::SaveFailed).arg(QString::fromStdString(error));
        return RenameResult::Failed;
    }
    QFile::remove(oldFile);
    for (pugi::xml_node entry : groupNode(Group::Pages).children("Page")) {
        if (QString::fromUtf8(entry.attribute("RelativePath").as_string()) == relative)
            entry.attribute("RelativePath") = newRelative.toStdString().c_str();
    }
    // The start page follows its page; otherwise the next build would fail.
    if (startupPage() == oldName)
        doc_.document_element().attribute("StartupPage") = newName.toStdString().c_str();
    const Outcome saved = save();
    if (!saved.ok) {
        message = saved.message;
        return RenameResult::Failed;
    }
    return RenameResult::Renamed;
}

Outcome ProjectWorkspace::renameProject(const QString& newName) {
    if (!isValidPageName(newName))
        return Outcome::failure(ideText(sid::BadName));
    if (Outcome ok = writable(); !ok.ok)
        return ok;
    pugi::xml_node root = doc_.document_element();
    (root.attribute("Name") ? root.attribute("Name") : root.prepend_attribute("Name")) =
        newName.toStdString().c_str();
    return save();
}

Outcome ProjectWorkspace::setProjectAttribute(const std::string& name, const std::string& value) {
    if (Outcome ok = writable(); !ok.ok)
        return ok;
    pugi::xml_node root = doc_.document_element();
    pugi::xml_attribute attribute = root.attribute(name.c_str());
    const std::string before = attribute ? attribute.value() : std::string();
    const bool existed = bool(attribute);
    if (!attribute)
        attribute = root.append_attribute(name.c_str());
    attribute = value.c_str();
    Outcome saved = save();
    if (!saved.ok) { // the document keeps what the file holds
        if (existed)
            attribute = before.c_str();
        else
            root.remove_attribute(attribute);
    }
    return saved;
}

Outcome ProjectWorkspace::backup(const QString& parent, const QDateTime& now,
                                 QString& target) const {
    if (!open_)
        return Outcome::failure(ideText(sid::NoProjectOpen));
    target = backupFolderName(parent, title_, now);
    const QString source = QFileInfo(folder_).canonicalFilePath();
    const QString into = QFileInfo(parent).canonicalFilePath();
    // A backup inside the project folder would copy itself without end.
    if (into.isEmpty() || into == source || into.startsWith(source + QLatin1Char('/')))
        return Outcome::failure(ideText(sid::BackupFailed).arg(parent));
    if (QFileInfo::exists(target))
        return Outcome::failure(ideText(sid::BackupFailed).arg(target));
    std::error_code ec;
    fs::copy(nativePath(source), nativePath(target), fs::copy_options::recursive, ec);
    if (ec) {
        fs::remove_all(nativePath(target), ec);
        return Outcome::failure(ideText(sid::BackupFailed).arg(target));
    }
    return {};
}

} // namespace tft::ide
