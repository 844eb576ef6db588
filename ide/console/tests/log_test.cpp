#include "common/atomic_file.h"
#include "instruct_log.h"
#include "testing/test_support.h"

#include <QDateTime>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace tft::ide;

namespace {

const InstructDictionary& dictionary() {
    static InstructDictionary d = [] {
        InstructDictionary x;
        x.load(std::string(TFT_SOURCE_DIR) + "/data/InstructConfig.xml");
        return x;
    }();
    return d;
}

InstructLog makeLog(int* lookups = nullptr) {
    return InstructLog(
        [lookups]() -> const InstructDictionary& {
            if (lookups)
                ++*lookups;
            return dictionary();
        },
        [] { return QTime(9, 5, 7, 42); });
}

TEST(InstructLog, RowsNumberTimeDirectionAndComment) {
    int lookups = 0;
    InstructLog log = makeLog(&lookups);
    log.appendFrame(LinkDirection::Sent, "EE 04 FF FC FF FF ", "");
    log.appendFrame(LinkDirection::Received, "EE 55 FF FC FF FF ", "");
    log.appendFrame(LinkDirection::Sent, "EE FE FF FC FF FF ", "固件");
    log.appendNote(">未检测到硬件");
    log.appendFrame(LinkDirection::Sent, "", "");
    log.appendNote("");
    const auto rows = log.rows();
    ASSERT_EQ(rows.size(), 4u) << "empty text adds no row";
    EXPECT_EQ(rows[0].number, "1");
    EXPECT_EQ(rows[0].time, "09:05:07.042");
    EXPECT_EQ(rows[0].direction, "TXD(OUT)");
    EXPECT_EQ(rows[0].comment, "握手");
    EXPECT_EQ(rows[1].direction, "RXD( IN)");
    EXPECT_EQ(rows[1].comment, "握手应答");
    EXPECT_EQ(rows[2].comment, "固件") << "the caller's label wins";
    EXPECT_EQ(rows[3].direction, "");
    EXPECT_EQ(rows[3].command, ">未检测到硬件");
    EXPECT_EQ(lookups, 2) << "labelled rows and notes need no dictionary";
    EXPECT_TRUE(log.takeDirty());
    EXPECT_FALSE(log.takeDirty());
    const auto generation = log.generation();
    log.clearRows();
    EXPECT_EQ(log.size(), 0u);
    EXPECT_NE(log.generation(), generation);
    log.appendNote("again");
    EXPECT_EQ(log.row(0).number, "1");
}

TEST(InstructLog, SavedFilePadsTheColumns) {
    InstructLog log = makeLog();
    log.appendFrame(LinkDirection::Sent, "EE 01 FF FC FF FF ", "");
    log.appendNote("note");
    testsupport::TempFolder dir;
    const QString file = QString::fromStdString((dir.path() / "LOG.txt").string());
    ASSERT_TRUE(log.save(file));
    const auto bytes = testsupport::readBytes(dir.path() / "LOG.txt");
    const std::string text(bytes.begin(), bytes.end());
    const std::string line1 =
        "   1 09:05:07.042 TXD(OUT)  EE 01 FF FC FF FF " + std::string(130 - 18, ' ') + " 清屏\r\n";
    const std::string line2 =
        "   2 09:05:07.042           note" + std::string(130 - 4, ' ') + " \r\n";
    EXPECT_EQ(text, line1 + line2);
    QString error;
    EXPECT_FALSE(log.save(QStringLiteral("/no/such/folder/LOG.txt"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(InstructLog, ProposedNameAndPaste) {
    EXPECT_EQ(InstructLog::proposedFileName(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))),
              QStringLiteral("LOG20260304050607"));
    InstructLog log = makeLog();
    log.paste(QStringLiteral("EE 01 FF FC FF FF^^hello^ EE 41 F8 00 FF FC FF FF "));
    const auto rows = log.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].command, "EE 01 FF FC FF FF ");
    EXPECT_EQ(rows[0].comment, "清屏");
    EXPECT_EQ(rows[1].command, "hello");
    EXPECT_EQ(rows[1].direction, "");
    EXPECT_EQ(rows[2].comment, "设置前景色：颜色=0xF800");
}

TEST(InstructLog, FilterByCodeOrText) {
    CInstructRecord b1{"1", "", "RXD( IN)", "EE B1 11 00 00 ", "控件数值"};
    CInstructRecord note{"2", "", "", "B1 in a note", ""};
    EXPECT_TRUE(InstructLog::matches(b1, QStringLiteral("b1")));
    EXPECT_TRUE(InstructLog::matches(b1, QStringLiteral("0xB1")));
    EXPECT_FALSE(InstructLog::matches(b1, QStringLiteral("11"))) << "the code, not any byte";
    EXPECT_TRUE(InstructLog::matches(b1, QStringLiteral("控件")));
    EXPECT_TRUE(InstructLog::matches(b1, QStringLiteral("")));
    EXPECT_TRUE(InstructLog::matches(note, QStringLiteral("B1"))) << "notes match by their text";
    EXPECT_FALSE(InstructLog::matches(note, QStringLiteral("41")));
    EXPECT_TRUE(InstructLog::matches(note, QStringLiteral("in a")));
}

} // namespace
