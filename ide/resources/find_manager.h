// Finding shapes by name across pages, and the one line form that find
// results and compiler messages share: "[screen]PAGE;[item]SHAPE...".
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace tft::ide {

class PageDocument;
class ProjectWorkspace;

struct FindOptions {
    enum Scope { CurrentView = 1, OpenViews = 2, WholeProject = 3 };
    enum Flags { MatchCase = 4, WholeName = 8 };
    int scope = CurrentView;
    int flags = 0;
};

// The find combo's history: the latest text on top, no duplicates.
class FindHistory {
public:
    static constexpr int kLimit = 20;
    void push(const QString& text);
    const QStringList& items() const { return items_; }

private:
    QStringList items_;
};

// An open page view as find sees it: its title and its document.
struct OpenPage {
    QString title;
    QString file; // absolute path of the page file
    const PageDocument* document = nullptr;
};

// True when a shape named `name` matches `text` under the options.
bool nameMatches(const QString& name, const QString& text, int flags);

// "[screen]%s;[item]%s: name = "%s"".
QString resultLine(const QString& page, const QString& shape);

// The result list: one per application.
class CFindManager {
public:
    static CFindManager& instance();

    // Searches and returns what the find pane shows: the header for the
    // scope, the result lines, the total. `open` lists the open page views in
    // document order; `active` is the index of the active one (-1: none).
    // The whole-project scope searches every page of `project` in project
    // order, taking an open page's document (with its unsaved edits) and
    // reading the others from their files.
    QStringList find(const QString& text, const FindOptions& options,
                     const std::vector<OpenPage>& open, int active,
                     const ProjectWorkspace* project);

    const QStringList& results() const { return results_; }
    void clear() { results_.clear(); }

private:
    void add(const QString& line);
    void searchDocument(const QString& title, const PageDocument& page, const QString& text,
                        int flags);
    void searchFile(const QString& title, const QString& file, const QString& text, int flags);
    QStringList results_;
};

// What a locate line names.
struct LocateTarget {
    bool valid = false;
    QString page; // text after "[screen]" up to ";" or ":"
    QString rest; // text after that separator
    QString item; // shape name when the rest begins with "[item]"
    bool hasItem = false;
};
LocateTarget parseLocateLine(const QString& line);

// The page file a locate line's page name stands for: a page of the project
// by name (exact, then without regard to case), else project folder + name +
// ".tft" if that file exists. Empty for names that leave the project folder
// (absolute, "..", a drive or a link out of it) and for pages that do not exist.
QString locatePageFile(const ProjectWorkspace& project, const QString& page);

} // namespace tft::ide
