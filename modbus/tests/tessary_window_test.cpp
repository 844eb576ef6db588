// The editor's windows under the offscreen platform: the grid, the edit
// commands, opening maps, and the update window driving a simulated panel.
#include "main_window.h"
#include "map_view.h"
#include "panel_peer.h"
#include "update_window.h"
#include "window_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <gtest/gtest.h>

using namespace tessary;

namespace {

using tessary::windowtest::WindowTest;

QString writeBytes(const QTemporaryDir& dir, const char* name, const std::vector<std::uint8_t>& b) {
    const QString path = dir.filePath(name);
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return path;
}

QStringList logLines(UpdateWindow& w) {
    QStringList lines;
    for (int i = 0; i < w.log()->count(); ++i)
        lines << w.log()->item(i)->text();
    return lines;
}

void waitForWorker(UpdateWindow& w) {
    QEventLoop loop;
    QObject::connect(&w, &UpdateWindow::workerFinished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit); // a hang fails, never blocks forever
    if (w.running())
        loop.exec();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace

TEST_F(WindowTest, GridHasSevenFixedColumnsWithTheirCaptions) {
    MapView view;
    QAbstractItemModel* m = view.table()->model();
    ASSERT_EQ(m->columnCount(), 7);
    const QStringList expected{"序号(Num)",
                               "用途(Use)",
                               "画面ID(Screen)",
                               "控件ID(Control)",
                               "从机(Slave)",
                               "功能码(FunctionCode)",
                               "起始地址(StartAddress)"};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(m->headerData(c, Qt::Horizontal).toString(), expected[c]);
        EXPECT_EQ(view.table()->columnWidth(c), 200);
    }
    EXPECT_EQ(view.table()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    ASSERT_EQ(m->rowCount(), 1);
    EXPECT_EQ(m->index(0, kColUse).data().toString(), "控件更新绑定");
    EXPECT_EQ(m->index(0, kColFunction).data().toString(), "03-ReadHoldingRegs");
    EXPECT_EQ(m->index(0, kColSlave).data().toInt(), 1);
    EXPECT_FALSE(m->flags(m->index(0, kColNumber)) & Qt::ItemIsEditable);
}

TEST_F(WindowTest, ScreenChangeRowsHideTheirIdsAndTypedNumbersAreClamped) {
    MapView view;
    QAbstractItemModel* m = view.table()->model();
    EXPECT_TRUE(m->setData(m->index(0, kColScreen), QStringLiteral("70000"), Qt::EditRole));
    EXPECT_EQ(view.editor()->document().rows()[0].screenId, 65535);
    EXPECT_EQ(m->index(0, kColScreen).data().toInt(), 65535);
    EXPECT_TRUE(m->setData(m->index(0, kColSlave), QStringLiteral("0"), Qt::EditRole));
    EXPECT_EQ(view.editor()->document().rows()[0].slave, 1);
    EXPECT_TRUE(m->setData(m->index(0, kColStart), QStringLiteral("99999999999999999999999"),
                           Qt::EditRole));
    EXPECT_EQ(view.editor()->document().rows()[0].startAddress, 65535);
    EXPECT_FALSE(m->setData(m->index(0, kColControl), QStringLiteral("abc"), Qt::EditRole));

    EXPECT_TRUE(m->setData(m->index(0, kColUse), kUseScreenChange, Qt::EditRole));
    EXPECT_EQ(m->index(0, kColScreen).data().toString(), "------");
    EXPECT_EQ(m->index(0, kColControl).data().toString(), "------");
    EXPECT_FALSE(m->flags(m->index(0, kColScreen)) & Qt::ItemIsEditable);
    EXPECT_TRUE(m->flags(m->index(0, kColSlave)) & Qt::ItemIsEditable);
    EXPECT_FALSE(m->setData(m->index(0, kColScreen), QStringLiteral("5"), Qt::EditRole));
    EXPECT_EQ(view.editor()->document().rows()[0].screenId, 65535); // kept, only hidden

    EXPECT_TRUE(m->setData(m->index(0, kColFunction), 16, Qt::EditRole));
    EXPECT_EQ(m->index(0, kColFunction).data().toString(), "16-WriteMultReg");
}

TEST_F(WindowTest, AddSelectsNewRowAndDeleteSelectsLowestRemovedPosition) {
    MapView view;
    view.addRow();
    view.addRow();
    view.addRow();
    EXPECT_EQ(view.table()->currentIndex().row(), 3);
    EXPECT_TRUE(view.hasSelection());
    view.table()->selectRow(1);
    view.deleteSelected();
    EXPECT_EQ(view.editor()->document().rows().size(), 3u);
    EXPECT_EQ(view.table()->selectionModel()->selectedRows().value(0).row(), 1);
    view.table()->selectRow(2);
    view.deleteSelected();
    EXPECT_EQ(view.table()->selectionModel()->selectedRows().value(0).row(), 1);
    view.deleteAll(false);
    EXPECT_EQ(view.editor()->document().rows().size(), 2u);
    view.deleteAll(true);
    EXPECT_TRUE(view.editor()->document().rows().empty());
    EXPECT_EQ(view.table()->model()->rowCount(), 0);
}

TEST_F(WindowTest, SaveEndsAnOpenEditFirst) {
    MapView view;
    view.show();
    const QModelIndex cell = view.table()->model()->index(0, kColControl);
    view.table()->setCurrentIndex(cell);
    view.table()->edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(view.table()->indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("4321"));
    QString error;
    ASSERT_TRUE(view.save(dir.filePath("e.mbm"), &error)) << error.toStdString();
    CTessaryDoc saved;
    LoadStatus status{};
    std::string why;
    ASSERT_TRUE(saved.loadFile(dir.filePath("e.mbm").toStdString(), &status, &why));
    EXPECT_EQ(saved.rows()[0].controlId, 4321);
}

TEST_F(WindowTest, DeviceAddressDialogValidatesRange) {
    EXPECT_EQ(DeviceAddressDialog::parse(QStringLiteral(" 205 ")), 205);
    EXPECT_FALSE(DeviceAddressDialog::parse(QStringLiteral("200")));
    EXPECT_FALSE(DeviceAddressDialog::parse(QStringLiteral("211")));
    EXPECT_FALSE(DeviceAddressDialog::parse(QStringLiteral("20a")));
    DeviceAddressDialog good(201);
    good.field()->setText(QStringLiteral("210"));
    good.accept();
    EXPECT_EQ(good.result(), QDialog::Accepted);
    EXPECT_EQ(good.address(), 210);
}

TEST_F(WindowTest, OpeningMapsReportsLoadProblems) {
    MainWindow window;
    CTessaryDoc doc;
    doc.addRow();
    std::vector<std::uint8_t> bytes = doc.serialize();
    const QString good = writeBytes(dir, "good.mbm", bytes);
    bytes[0] ^= 1;
    const QString badSum = writeBytes(dir, "sum.mbm", bytes);
    bytes[5] = 0;
    const QString badMagic = writeBytes(dir, "magic.mbm", bytes);

    QString message;
    EXPECT_EQ(window.openFile(badMagic, &message, true), nullptr);
    EXPECT_EQ(message, "文件头出错！");
    EXPECT_TRUE(window.maps().isEmpty());
    EXPECT_EQ(window.openFile(dir.filePath("none.mbm"), &message, true), nullptr);
    EXPECT_FALSE(message.isEmpty());

    MapView* v = window.openFile(badSum, &message, true);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(message, "文件校验和出错！");
    EXPECT_EQ(v->editor()->document().rows().size(), 2u);

    MapView* g = window.openFile(good, &message, true);
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(message.isEmpty());
    EXPECT_EQ(window.openFile(good, &message, true), g); // already open: no second window
    EXPECT_EQ(window.maps().size(), 2);
    EXPECT_EQ(window.recentFiles().value(0), QFileInfo(good).absoluteFilePath());
}

TEST_F(WindowTest, RecentFilesKeepSixNewestFirst) {
    MainWindow window;
    CTessaryDoc doc;
    for (int i = 0; i < 8; ++i) {
        const QString name = QStringLiteral("m%1.mbm").arg(i);
        std::string error;
        ASSERT_TRUE(doc.saveFile(dir.filePath(name).toStdString(), &error));
        ASSERT_NE(window.openFile(dir.filePath(name), nullptr, true), nullptr);
    }
    const QStringList recent = window.recentFiles();
    ASSERT_EQ(recent.size(), 6);
    EXPECT_TRUE(recent[0].endsWith("m7.mbm"));
    EXPECT_TRUE(recent[5].endsWith("m2.mbm"));
    MainWindow again; // read back from the settings
    EXPECT_EQ(again.recentFiles(), recent);
}

TEST_F(WindowTest, DroppedMapFilesOpen) {
    MainWindow window;
    CTessaryDoc doc;
    std::string error;
    ASSERT_TRUE(doc.saveFile(dir.filePath("drop.mbm").toStdString(), &error));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dir.filePath("drop.mbm")),
                  QUrl::fromLocalFile(dir.filePath("other.txt"))});
    window.show();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    ASSERT_EQ(window.maps().size(), 1);
    EXPECT_TRUE(window.maps()[0]->filePath().endsWith("drop.mbm"));
}

TEST_F(WindowTest, UpdateWindowDefaultsAndChoosers) {
    MainWindow main;
    UpdateWindow* w = main.updateWindow();
    EXPECT_EQ(main.updateWindow(), w); // created once
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->baudBox()->currentText(), "19200");
    EXPECT_EQ(w->baudBox()->count(), 8);
    EXPECT_EQ(w->addressBox()->currentText(), "201");
    EXPECT_EQ(w->addressBox()->count(), 10);
    EXPECT_EQ(w->portBox()->itemText(0), "Refresh");
    EXPECT_TRUE(w->box(0)->isChecked());
    EXPECT_TRUE(w->box(1)->isChecked());
    EXPECT_FALSE(w->box(2)->isChecked());
    EXPECT_FALSE(w->box(3)->isChecked());
    EXPECT_TRUE(w->box(4)->isChecked());
    w->box(0)->setChecked(false);
    w->box(4)->setChecked(false);
    w->folderChosen(dir.path());
    EXPECT_TRUE(w->box(0)->isChecked());
    EXPECT_EQ(w->folderField()->text(), dir.path());
    w->mapChosen(dir.filePath("x.mbm"));
    EXPECT_TRUE(w->box(4)->isChecked());
}

TEST_F(WindowTest, UpdateRunsOnTheWorkerAndLogsProgress) {
    testpeer::PanelPeer peer(204);
    QTemporaryDir empty;
    std::vector<std::uint8_t> content(300, 0x42);
    const QString map = writeBytes(dir, "w.mbm", content);
    UpdateWindow w;
    w.portBox()->setEditText(QString::fromStdString(peer.portName()));
    w.addressBox()->setCurrentText(QStringLiteral("204"));
    w.folderField()->setText(empty.path());
    w.mapChosen(map);
    w.startUpdate();
    EXPECT_FALSE(w.updateButton()->isEnabled());
    w.startUpdate(); // ignored while the first runs
    waitForWorker(w);
    EXPECT_TRUE(w.updateButton()->isEnabled());
    EXPECT_EQ(logLines(w),
              (QStringList{"开始更新Modbus配置文件......", "已完成100%...", "操作成功."}));
    EXPECT_EQ(peer.slotsBegun(), (std::vector<int>{6}));
    EXPECT_EQ(peer.files().at(6), content);

    // The choices are remembered for the next window.
    UpdateWindow next;
    EXPECT_EQ(next.addressBox()->currentText(), "204");
    EXPECT_EQ(next.mapField()->text(), map);
    EXPECT_EQ(next.portBox()->currentText(), QString::fromStdString(peer.portName()));
}

TEST_F(WindowTest, UpdateWindowReportsAPortThatCannotOpen) {
    UpdateWindow w;
    w.portBox()->setEditText(dir.filePath("ttyMissing"));
    w.mapChosen(writeBytes(dir, "p.mbm", {1, 2, 3}));
    w.startUpdate();
    waitForWorker(w);
    EXPECT_EQ(logLines(w), QStringList{"操作异常，请检查串口是否存在，且没有被其它程序打开。"});
}

TEST_F(WindowTest, MasterCommandsRunOffTheWindowThread) {
    testpeer::PanelPeer peer;
    UpdateWindow w;
    w.portBox()->setEditText(QString::fromStdString(peer.portName()));
    w.stopMaster();
    waitForWorker(w);
    w.resumeMaster();
    waitForWorker(w);
    EXPECT_EQ(logLines(w), (QStringList{"停止主控器：成功", "恢复主控器：成功"}));
}

TEST_F(WindowTest, UpdateWindowOpensWideEnoughForItsPathsAndHint) {
    const QString folder = QStringLiteral("/home/someone/projects/panel-demo/output/2026-12-09");
    const QString map = QStringLiteral("/home/someone/projects/panel-demo/maps/line-a.mbm");
    {
        QSettings s;
        s.beginGroup(QStringLiteral("Settings"));
        s.setValue(QStringLiteral("ResourcePath"), folder);
        s.setValue(QStringLiteral("ModbusMapPath"), map);
    }
    MainWindow main;
    main.show();
    windowtest::findAction(&main, QStringLiteral("更新Modbus设备"))->trigger();
    UpdateWindow* w = main.updateWindow();
    ASSERT_TRUE(w->isVisible());
    for (QLineEdit* field : {w->folderField(), w->mapField()}) {
        const int text = field->fontMetrics().horizontalAdvance(field->text());
        EXPECT_GE(field->width(), text + 8) << field->text().toStdString();
    }
    QLabel* hint = nullptr;
    for (QLabel* label : w->findChildren<QLabel*>())
        if (label->text().startsWith(QStringLiteral("注意：")))
            hint = label;
    ASSERT_NE(hint, nullptr);
    // The hint reads on one line.
    EXPECT_GE(hint->width(), hint->fontMetrics().horizontalAdvance(hint->text()));

    // A longer path chosen while the window is open widens it again.
    const QString longer = folder + QStringLiteral("/resources-for-line-b");
    w->folderChosen(longer);
    EXPECT_GE(w->folderField()->width(),
              w->folderField()->fontMetrics().horizontalAdvance(longer) + 8);
}

TEST_F(WindowTest, ClosingTheMainWindowDuringAnUpdateAsksFirst) {
    testpeer::PanelPeer peer(201);
    QTemporaryDir empty;
    const std::vector<std::uint8_t> content(300, 0x17);
    MainWindow main;
    main.show();
    UpdateWindow* w = main.updateWindow();
    w->portBox()->setEditText(QString::fromStdString(peer.portName()));
    w->addressBox()->setCurrentText(QStringLiteral("201"));
    w->folderField()->setText(empty.path());
    w->mapChosen(writeBytes(dir, "busy.mbm", content));

    w->startUpdate();
    ASSERT_TRUE(w->running());
    {
        windowtest::PromptAnswerer answer{QMessageBox::No};
        EXPECT_FALSE(main.close());
        EXPECT_EQ(answer.texts().size(), 1);
    }
    EXPECT_TRUE(main.isVisible());
    waitForWorker(*w); // the update was left to finish
    EXPECT_EQ(peer.files().at(6), content);

    w->startUpdate();
    ASSERT_TRUE(w->running());
    {
        windowtest::PromptAnswerer answer{QMessageBox::Yes};
        EXPECT_TRUE(main.close());
        EXPECT_EQ(answer.texts().size(), 1);
    }
    EXPECT_FALSE(w->running()); // stopped and joined before the window went
}
