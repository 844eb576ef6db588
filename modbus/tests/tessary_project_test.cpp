// A map window with the showcase attached: names beside ids, marked rows and
// the problems pane, the link remembered per map but never written into it.
#include "main_window.h"
#include "map_view.h"
#include "problems_pane.h"
#include "project_link.h"
#include "window_test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace tessary;
using tessary::windowtest::WindowTest;

namespace {

const QString kShowcase = QStringLiteral(TFT_SOURCE_DIR "/examples/showcase/showcase.tftprj");

MapRow binding(std::uint16_t screen, std::uint16_t control) {
    MapRow row;
    row.screenId = screen;
    row.controlId = control;
    return row;
}

QString writeMap(const QTemporaryDir& dir, const char* name, const std::vector<MapRow>& rows) {
    CTessaryDoc doc;
    doc.clear();
    doc.rows() = rows;
    const QString path = dir.filePath(QString::fromLatin1(name));
    std::string error;
    EXPECT_TRUE(doc.saveFile(path.toStdString(), &error)) << error;
    return path;
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The tests run outside the application folder: projects are read with its
// device catalogue all the same.
void useAppCatalogue() {
    setCatalogueFile(QStringLiteral(TFT_APP_DIR "/DeviceInfo.xml"));
}

// Waits for the project load and the check running in the background.
bool settled(MapView* view) {
    return QTest::qWaitFor([view] { return !view->busy(); }, 20000);
}

} // namespace

TEST_F(WindowTest, AnAttachedProjectNamesIdsMarksRowsAndListsProblems) {
    useAppCatalogue();
    const QString path = writeMap(dir, "m.mbm", {binding(2, 12), binding(9, 1), binding(3, 5)});
    MainWindow window;
    MapView* view = window.openFile(path, nullptr, true);
    ASSERT_NE(view, nullptr);
    window.attachProject(view, kShowcase);
    ASSERT_TRUE(settled(view));
    ASSERT_NE(view->project(), nullptr) << view->linkError().toStdString();

    QAbstractItemModel* model = view->table()->model();
    EXPECT_EQ(model->index(0, kColScreen).data().toString(), QStringLiteral("2  controls"));
    EXPECT_EQ(model->index(0, kColControl).data().toString(), QStringLiteral("12  level (SLIDER)"));
    EXPECT_FALSE(model->index(0, kColUse).data(Qt::BackgroundRole).isValid());
    EXPECT_TRUE(model->index(1, kColUse).data(Qt::BackgroundRole).isValid());
    EXPECT_TRUE(model->index(2, kColSlave).data(Qt::ToolTipRole).toString().contains("clock"));

    QTreeWidget* list = window.problemsPane()->list();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("2"));
    emit list->itemDoubleClicked(list->topLevelItem(1), 0);
    ASSERT_EQ(view->table()->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view->table()->selectionModel()->selectedRows().front().row(), 2);

    // Mending a row through the grid clears its problem.
    EXPECT_TRUE(model->setData(model->index(1, kColScreen), QStringLiteral("0"), Qt::EditRole));
    EXPECT_TRUE(model->setData(model->index(1, kColControl), QStringLiteral("6"), Qt::EditRole));
    ASSERT_TRUE(settled(view));
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(model->index(1, kColControl).data().toString(),
              QStringLiteral("6  to_drawing (BUTTON)"));
}

TEST_F(WindowTest, TheLinkIsRememberedPerMapAndTheMapBytesDoNotChange) {
    useAppCatalogue();
    const QString path = writeMap(dir, "keep.mbm", {binding(2, 12), binding(7, 7)});
    const QByteArray before = bytesOf(path);
    {
        MainWindow window;
        MapView* view = window.openFile(path, nullptr, true);
        window.attachProject(view, kShowcase);
        ASSERT_TRUE(settled(view));
        QString error;
        ASSERT_TRUE(view->save(path, &error)) << error.toStdString();
    }
    EXPECT_EQ(bytesOf(path), before);

    MainWindow again;
    MapView* view = again.openFile(path, nullptr, true);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->projectPath(), QFileInfo(kShowcase).absoluteFilePath());
    ASSERT_TRUE(settled(view));
    EXPECT_EQ(view->problems().size(), 1u);

    // Detaching forgets it.
    again.attachProject(view, QString());
    MainWindow third;
    EXPECT_TRUE(third.openFile(path, nullptr, true)->projectPath().isEmpty());
}

TEST_F(WindowTest, AProjectThatDoesNotLoadShowsABrokenLinkAndTheMapStaysEditable) {
    useAppCatalogue();
    const QString broken = dir.filePath(QStringLiteral("broken.tftprj"));
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<Orvane Name=");
    f.close();
    MainWindow window;
    MapView* view = window.newMap();
    window.attachProject(view, broken);
    ASSERT_TRUE(settled(view));
    EXPECT_EQ(view->project(), nullptr);
    EXPECT_FALSE(view->linkError().isEmpty());
    EXPECT_TRUE(window.problemsPane()->status()->text().contains(QStringLiteral("断开")));
    view->addRow();
    EXPECT_EQ(view->editor()->document().rows().size(), 2u);
    EXPECT_EQ(window.problemsPane()->list()->topLevelItemCount(), 0);
}

TEST_F(WindowTest, LargeMapsAreCheckedOffTheInterfaceThread) {
    useAppCatalogue();
    std::vector<MapRow> rows(5000, binding(2, 12));
    rows[4321] = binding(8, 8);
    const QString path = writeMap(dir, "big.mbm", rows);
    MainWindow window;
    MapView* view = window.openFile(path, nullptr, true);
    window.attachProject(view, kShowcase);
    ASSERT_TRUE(settled(view));
    // One error and a duplicate warning for every row after the first.
    std::size_t errors = 0;
    for (const MapProblem& p : view->problems())
        errors += p.severity == MapProblem::Severity::Error ? 1 : 0;
    EXPECT_EQ(errors, 1u);
    EXPECT_EQ(view->problems().size(), 4999u);
    view->addRow();
    EXPECT_TRUE(view->busy()); // the new check runs in the background
    ASSERT_TRUE(settled(view));
    EXPECT_EQ(view->problems().size(), 5000u);
}
