#include "find_manager.h"

#include "open_project.h"
#include "page_document.h"
#include "string_table.h"

#include <QDir>
#include <QFileInfo>
#include <pugixml.hpp>

namespace tft::ide {

namespace {

// The real file lies in the project folder (entries and names may climb out
// with "..", or through a link).
bool insideProjectFolder(const ProjectWorkspace& project, const QString& file) {
    const QString root = QFileInfo(project.folder()).canonicalFilePath() + QLatin1Char('/');
    const QString real = QFileInfo(file).canonicalFilePath();
    return !real.isEmpty() && real.startsWith(root);
}

} // namespace

void FindHistory::push(const QString& text) {
    if (text.isEmpty())
        return;
    items_.removeAll(text);
    items_.prepend(text);
    while (items_.size() > kLimit)
        items_.removeLast();
}

bool nameMatches(const QString& name, const QString& text, int flags) {
    const Qt::CaseSensitivity cs =
        (flags & FindOptions::MatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (flags & FindOptions::WholeName)
        return name.compare(text, cs) == 0;
    return name.contains(text, cs);
}

QString resultLine(const QString& page, const QString& shape) {
    return QStringLiteral("[screen]%1;[item]%2: name = \"%2\"").arg(page, shape);
}

CFindManager& CFindManager::instance() {
    static CFindManager manager;
    return manager;
}

void CFindManager::add(const QString& line) {
    if (!line.isEmpty())
        results_ << line;
}

void CFindManager::searchDocument(const QString& title, const PageDocument& page,
                                  const QString& text, int flags) {
    for (const auto& shape : page.shapes()) {
        if (shape->isHidden())
            continue; // removed from the page, kept only for the history
        const QString name = QString::fromStdString(shape->name());
        if (nameMatches(name, text, flags))
            add(resultLine(title, name));
    }
}

void CFindManager::searchFile(const QString& title, const QString& file, const QString& text,
                              int flags) {
    pugi::xml_document document;
    if (!document.load_file(QFileInfo(file).absoluteFilePath().toLocal8Bit().constData()))
        return; // a page that does not read has nothing to find
    for (const pugi::xml_node& item : document.document_element().children("item")) {
        const QString name = QString::fromUtf8(item.attribute("name").value());
        if (nameMatches(name, text, flags))
            add(resultLine(title, name));
    }
}

QStringList CFindManager::find(const QString& text, const FindOptions& options,
                               const std::vector<OpenPage>& open, int active,
                               const ProjectWorkspace* project) {
    results_.clear();
    int header = sid::FindHeaderCurrent;
    switch (options.scope) {
    case FindOptions::OpenViews:
        header = sid::FindHeaderOpen;
        for (const OpenPage& page : open)
            if (page.document)
                searchDocument(page.title, *page.document, text, options.flags);
        break;
    case FindOptions::WholeProject:
        header = sid::FindHeaderProject;
        if (project && project->isOpen()) {
            for (const QString& relative : project->entries(Group::Pages)) {
                const QString file = QFileInfo(project->absolute(relative)).absoluteFilePath();
                const QString title = ProjectWorkspace::pageName(relative);
                const OpenPage* opened = nullptr;
                for (const OpenPage& page : open)
                    if (page.document && page.file == file)
                        opened = &page;
                if (opened)
                    searchDocument(title, *opened->document, text, options.flags);
                else if (insideProjectFolder(*project, file))
                    searchFile(title, file, text, options.flags);
            }
        }
        break;
    default:
        if (active >= 0 && active < int(open.size()) && open[std::size_t(active)].document)
            searchDocument(open[std::size_t(active)].title, *open[std::size_t(active)].document,
                           text, options.flags);
        break;
    }
    QStringList lines;
    lines << ideText(header).arg(text);
    lines << results_;
    lines << ideText(sid::FindTotal).arg(results_.size());
    return lines;
}

LocateTarget parseLocateLine(const QString& line) {
    LocateTarget target;
    const qsizetype bracket = line.indexOf(QLatin1Char('['));
    static const QString screen = QStringLiteral("[screen]");
    static const QString item = QStringLiteral("[item]");
    if (bracket < 0 || !line.mid(bracket).startsWith(screen))
        return target;
    const QString after = line.mid(bracket + screen.size());
    qsizetype end = 0;
    while (end < after.size() && after[end] != QLatin1Char(';') && after[end] != QLatin1Char(':'))
        ++end;
    target.valid = true;
    target.page = after.left(end);
    target.rest = end < after.size() ? after.mid(end + 1) : QString();
    if (target.rest.startsWith(item)) {
        const QString name = target.rest.mid(item.size());
        qsizetype stop = 0;
        while (stop < name.size() && name[stop] != QLatin1Char(';') &&
               name[stop] != QLatin1Char(':'))
            ++stop;
        target.item = name.left(stop);
        target.hasItem = true;
    }
    return target;
}

namespace {

// A page name that stays inside the project folder: relative, no "..", no
// drive, no empty name.
bool staysInside(const QString& page) {
    if (page.isEmpty() || QDir::isAbsolutePath(page) || page.startsWith(QLatin1Char('\\')) ||
        page.contains(QLatin1Char(':')))
        return false;
    const QStringList parts =
        QString(page).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
    for (const QString& part : parts)
        if (part == QLatin1String(".."))
            return false;
    return true;
}

} // namespace

QString locatePageFile(const ProjectWorkspace& project, const QString& page) {
    if (!project.isOpen() || !staysInside(page))
        return {};
    const QStringList pages = project.entries(Group::Pages);
    QString found;
    for (const QString& relative : pages)
        if (ProjectWorkspace::pageName(relative) == page) {
            found = project.absolute(relative);
            break;
        }
    if (found.isEmpty())
        for (const QString& relative : pages)
            if (ProjectWorkspace::pageName(relative).compare(page, Qt::CaseInsensitive) == 0) {
                found = project.absolute(relative);
                break;
            }
    if (found.isEmpty())
        found = project.folder() + QString(page).replace(QLatin1Char('\\'), QLatin1Char('/')) +
                QStringLiteral(".tft");
    const QFileInfo info(found);
    if (!info.isFile() || !insideProjectFolder(project, found))
        return {};
    return info.absoluteFilePath();
}

} // namespace tft::ide
