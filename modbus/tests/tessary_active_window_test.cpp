// The editor as a user meets it: the main window active, one map open, and
// the commands reached through menus, shortcuts and clicks. Runs under the
// offscreen platform and, through run_under_window_manager.sh, on an X server
// with a window manager.
#include "main_window.h"
#include "map_view.h"
#include "window_test_support.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace tessary;
using tessary::windowtest::findAction;
using tessary::windowtest::WindowTest;

namespace {

class ActiveWindowTest : public WindowTest {
protected:
    // A saved one-row map, opened as the only map of an active main window.
    MapView* openOnlyMap(MainWindow& window, const char* name = "one.mbm") {
        path = dir.filePath(QString::fromLatin1(name));
        CTessaryDoc doc;
        std::string error;
        EXPECT_TRUE(doc.saveFile(path.toStdString(), &error)) << error;
        MapView* view = window.openFile(path, nullptr, true);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        EXPECT_TRUE(window.isActiveWindow());
        return view;
    }

    static CTessaryDoc onDisk(const QString& file) {
        CTessaryDoc doc;
        LoadStatus status{};
        std::string error;
        EXPECT_TRUE(doc.loadFile(file.toStdString(), &status, &error)) << error;
        EXPECT_EQ(status, LoadStatus::Ok);
        return doc;
    }

    static void clickCell(MapView* view, int row, int column) {
        const QRect cell = view->table()->visualRect(view->table()->model()->index(row, column));
        QTest::mouseClick(view->table()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }

    static void expectCommandsEnabled(MainWindow& window) {
        for (const char* name : {"保存", "添加", "全部删除", "设备配置"}) {
            QAction* a = findAction(&window, QString::fromUtf8(name));
            ASSERT_NE(a, nullptr) << name;
            EXPECT_TRUE(a->isEnabled()) << name;
        }
    }

    QString path;
};

} // namespace

TEST_F(ActiveWindowTest, OneMapTakesTheCommandsFromTheStart) {
    MainWindow window;
    MapView* view = openOnlyMap(window);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(window.maps().size(), 1);
    EXPECT_EQ(window.activeMap(), view);
    expectCommandsEnabled(window);

    findAction(&window, QStringLiteral("添加"))->trigger();
    EXPECT_EQ(view->editor()->document().rows().size(), 2u);
    EXPECT_TRUE(view->isWindowModified());

    // Ctrl+S, pressed in the grid, writes the map.
    QTest::keyClick(view->table(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(onDisk(path).rows().size(), 2u);
    EXPECT_TRUE(view->editor()->undoStack()->isClean());
}

TEST_F(ActiveWindowTest, ClickInTheGridKeepsTheCommands) {
    MainWindow window;
    MapView* view = openOnlyMap(window);
    ASSERT_NE(view, nullptr);
    clickCell(view, 0, kColSlave);
    EXPECT_TRUE(view->table()->hasFocus() || view->table()->viewport()->hasFocus());
    EXPECT_EQ(window.activeMap(), view);
    expectCommandsEnabled(window);
    EXPECT_TRUE(findAction(&window, QStringLiteral("选择删除"))->isEnabled());

    // An edit typed into the grid, then saved from the menu.
    // The first key opens the cell's editor, which takes the rest.
    QTest::keyClick(view->table(), Qt::Key_4);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents(); // the delegate commits Return's edit queued
    EXPECT_EQ(view->editor()->document().rows()[0].slave, 42);
    findAction(&window, QStringLiteral("保存"))->trigger();
    EXPECT_EQ(onDisk(path).rows()[0].slave, 42);

    // The tab bar, clicked, still leaves the map as the commands' target.
    if (auto* tabs = window.area()->findChild<QTabBar*>()) {
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(0).center());
        EXPECT_EQ(window.activeMap(), view);
        expectCommandsEnabled(window);
    }
}

namespace {

// Every way a modified map closes asks "是否保存对 … 的修改？" with Save,
// Discard and Cancel, answered here as a user would.
class ClosePromptTest : public ActiveWindowTest {
protected:
    // The only map, opened from `name` and given a second row (not saved).
    MapView* openModifiedMap(MainWindow& window, const char* name = "one.mbm") {
        MapView* view = openOnlyMap(window, name);
        if (view != nullptr) {
            view->addRow();
            EXPECT_TRUE(view->isWindowModified());
        }
        return view;
    }

    static QString prompt(const char* name) {
        return QStringLiteral("是否保存对 %1 的修改？").arg(QString::fromLatin1(name));
    }
};

void clickTabClose(MainWindow& window, int tab) {
    auto* tabs = window.area()->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    QWidget* button = tabs->tabButton(tab, QTabBar::RightSide);
    if (button == nullptr)
        button = tabs->tabButton(tab, QTabBar::LeftSide);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

TEST_F(ClosePromptTest, TabCloseButtonAsks) {
    MainWindow window;
    MapView* view = openModifiedMap(window);
    ASSERT_NE(view, nullptr);
    {
        windowtest::PromptAnswerer answer{QMessageBox::Cancel};
        clickTabClose(window, 0);
        EXPECT_EQ(answer.texts(), QStringList{prompt("one.mbm")});
        EXPECT_TRUE(answer.allAnswered());
    }
    ASSERT_EQ(window.maps().size(), 1);
    EXPECT_EQ(window.maps()[0]->editor()->document().rows().size(), 2u);
    {
        windowtest::PromptAnswerer answer{QMessageBox::Save};
        clickTabClose(window, 0);
        EXPECT_EQ(answer.texts(), QStringList{prompt("one.mbm")});
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.maps().isEmpty());
    EXPECT_EQ(onDisk(path).rows().size(), 2u);
}

TEST_F(ClosePromptTest, CloseCommandAsksAndDiscardKeepsTheFile) {
    MainWindow window;
    ASSERT_NE(openModifiedMap(window), nullptr);
    QAction* close = findAction(&window, QStringLiteral("关闭"));
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->isEnabled());
    {
        windowtest::PromptAnswerer answer{QMessageBox::Discard};
        close->trigger();
        EXPECT_EQ(answer.texts(), QStringList{prompt("one.mbm")});
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.maps().isEmpty());
    EXPECT_EQ(onDisk(path).rows().size(), 1u);

    // A map without changes closes without a question.
    ASSERT_NE(window.openFile(path, nullptr, true), nullptr);
    windowtest::PromptAnswerer none{};
    close->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.maps().isEmpty());
    EXPECT_TRUE(none.texts().isEmpty());
}

TEST_F(ClosePromptTest, OpeningTheFileOverItsEditsAsks) {
    MainWindow window;
    MapView* view = openModifiedMap(window);
    ASSERT_NE(view, nullptr);
    {
        windowtest::PromptAnswerer answer{QMessageBox::Cancel};
        EXPECT_EQ(window.openFile(path, nullptr, true), view);
        EXPECT_EQ(answer.texts(), QStringList{prompt("one.mbm")});
    }
    EXPECT_EQ(view->editor()->document().rows().size(), 2u); // edits kept
    {
        windowtest::PromptAnswerer answer{QMessageBox::Discard};
        MapView* again = window.openFile(path, nullptr, true);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(answer.texts(), QStringList{prompt("one.mbm")});
        EXPECT_EQ(again->editor()->document().rows().size(), 1u); // read again from the file
        EXPECT_FALSE(again->isWindowModified());
    }
    EXPECT_EQ(window.maps().size(), 1);
}

TEST_F(ClosePromptTest, ClosingTheMainWindowAsksForEveryModifiedMap) {
    MainWindow window;
    ASSERT_NE(openModifiedMap(window, "a.mbm"), nullptr);
    const QString first = path;
    CTessaryDoc doc;
    std::string error;
    const QString other = dir.filePath(QStringLiteral("b.mbm"));
    ASSERT_TRUE(doc.saveFile(other.toStdString(), &error));
    MapView* second = window.openFile(other, nullptr, true);
    ASSERT_NE(second, nullptr);
    second->addRow();
    second->addRow();
    {
        windowtest::PromptAnswerer answer{QMessageBox::Cancel};
        EXPECT_FALSE(window.close());
        EXPECT_EQ(answer.texts().size(), 1);
    }
    EXPECT_TRUE(window.isVisible());
    {
        windowtest::PromptAnswerer answer{QMessageBox::Discard, QMessageBox::Save};
        EXPECT_TRUE(window.close());
        EXPECT_EQ(answer.texts(), (QStringList{prompt("a.mbm"), prompt("b.mbm")}));
        EXPECT_EQ(answer.unexpected(), 0);
    }
    EXPECT_EQ(onDisk(first).rows().size(), 1u);
    EXPECT_EQ(onDisk(other).rows().size(), 3u);
}

TEST_F(ActiveWindowTest, FailedSaveNamesTheFileAndTheReason) {
    MainWindow window;
    MapView* view = openOnlyMap(window);
    ASSERT_NE(view, nullptr);
    // A folder that is a file: no user, not even root, can write below it.
    const QString blocked = dir.filePath(QStringLiteral("plain-file/m.mbm"));
    QFile(dir.filePath(QStringLiteral("plain-file"))).open(QIODevice::WriteOnly);
    view->setFilePath(blocked);
    view->addRow();
    windowtest::PromptAnswerer answer{QMessageBox::Ok};
    findAction(&window, QStringLiteral("保存"))->trigger();
    ASSERT_EQ(answer.texts().size(), 1);
    const QString text = answer.texts()[0];
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(blocked))) << text.toStdString();
    // The reason follows the name.
    EXPECT_GT(text.size(), QDir::toNativeSeparators(blocked).size() + 8) << text.toStdString();
    EXPECT_TRUE(view->isWindowModified());
}

TEST_F(ActiveWindowTest, RowsMoveBetweenMapsThroughTheClipboard) {
    MainWindow window;
    MapView* from = openOnlyMap(window);
    ASSERT_NE(from, nullptr);
    from->addRow();
    from->addRow();
    QAbstractItemModel* m = from->table()->model();
    m->setData(m->index(1, kColScreen), QStringLiteral("11"), Qt::EditRole);
    m->setData(m->index(2, kColScreen), QStringLiteral("22"), Qt::EditRole);
    from->table()->selectRow(1);
    from->table()->selectionModel()->select(m->index(2, 0), QItemSelectionModel::Select |
                                                                QItemSelectionModel::Rows);
    QAction* cut = findAction(&window, QStringLiteral("剪切"));
    QAction* copy = findAction(&window, QStringLiteral("复制"));
    QAction* paste = findAction(&window, QStringLiteral("粘贴"));
    QAction* undo = findAction(&window, QStringLiteral("撤销"));
    ASSERT_TRUE(cut && copy && paste && undo);
    EXPECT_TRUE(cut->isEnabled());
    cut->trigger();
    ASSERT_EQ(from->editor()->document().rows().size(), 1u);

    MapView* to = window.newMap();
    ASSERT_EQ(window.activeMap(), to);
    to->addRow();
    to->table()->selectRow(0);
    EXPECT_TRUE(paste->isEnabled());
    paste->trigger();
    // Pasted after the selection, and selected.
    const auto& rows = to->editor()->document().rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].screenId, 0);
    EXPECT_EQ(rows[1].screenId, 11);
    EXPECT_EQ(rows[2].screenId, 22);
    EXPECT_EQ(rows[3].screenId, 0);
    QList<int> selected;
    for (const QModelIndex& i : to->table()->selectionModel()->selectedRows())
        selected << i.row();
    std::sort(selected.begin(), selected.end());
    EXPECT_EQ(selected, (QList<int>{1, 2}));

    // One undo step each, on the map's own stack.
    undo->trigger();
    EXPECT_EQ(to->editor()->document().rows().size(), 2u);
    to->editor()->undoStack()->redo();
    EXPECT_EQ(to->editor()->document().rows().size(), 4u);
    from->editor()->undoStack()->undo();
    EXPECT_EQ(from->editor()->document().rows().size(), 3u);

    // Copy leaves the map as it is; with nothing selected, paste appends.
    to->table()->selectRow(1);
    copy->trigger();
    EXPECT_EQ(to->editor()->document().rows().size(), 4u);
    EXPECT_FALSE(QGuiApplication::clipboard()->text().isEmpty()); // readable elsewhere too
    to->table()->clearSelection();
    to->table()->setCurrentIndex(QModelIndex());
    paste->trigger();
    ASSERT_EQ(to->editor()->document().rows().size(), 5u);
    EXPECT_EQ(to->editor()->document().rows()[4].screenId, 11);

    // Text that is no map rows pastes nothing.
    QGuiApplication::clipboard()->setText(QStringLiteral("not rows"));
    EXPECT_FALSE(paste->isEnabled());
    paste->trigger();
    EXPECT_EQ(to->editor()->document().rows().size(), 5u);
}
