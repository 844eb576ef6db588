#include "command_pages.h"

#include "common/codec.h"
#include "common/frame.h"
#include "common/hex_text.h"

#include <QRegularExpression>

namespace tft::ide {

const std::uint8_t kBaudRateCodes[13] = {0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 12, 8, 9};
const char* const kYearOutOfRange = "year";

namespace {
constexpr std::size_t kMaxHexBytes = 1024;
} // namespace

std::uint32_t FieldValues::number(const QString& key, int bytes) {
    const QString t = texts_.value(key).trimmed();
    bool ok = false;
    const qulonglong v = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                             ? t.mid(2).toULongLong(&ok, 16)
                             : t.toULongLong(&ok, 10);
    const qulonglong limit = bytes >= 4 ? 0xFFFFFFFFull : (1ull << (8 * bytes)) - 1;
    if (!ok || v > limit) {
        fail(key);
        return 0;
    }
    return static_cast<std::uint32_t>(v);
}

std::vector<std::uint8_t> FieldValues::panelText(const QString& key) {
    const Converted c = utf8ToGbk(texts_.value(key).toStdString());
    if (!c) {
        fail(key);
        return {};
    }
    return {c.bytes.begin(), c.bytes.end()};
}

std::vector<std::uint8_t> FieldValues::hexBytes(const QString& key) {
    const QString t = texts_.value(key).trimmed();
    static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{1,2}(\\s+|$))*$"));
    if (!hex.match(t).hasMatch()) {
        fail(key);
        return {};
    }
    // More than the send buffer holds is refused, not cut.
    const HexParse parsed = parseHexText(t.toStdString(), kMaxHexBytes);
    if (parsed.truncated) {
        fail(key);
        return {};
    }
    return parsed.bytes;
}

std::vector<std::vector<std::uint16_t>> FieldValues::groups(const QString& key) {
    std::vector<std::vector<std::uint16_t>> out;
    for (const QString& group : texts_.value(key).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        std::vector<std::uint16_t> values;
        for (const QString& n : group.split(QLatin1Char(','))) {
            bool ok = false;
            const int v = n.trimmed().toInt(&ok);
            if (!ok || v < -32768 || v > 65535) {
                fail(key);
                return {};
            }
            values.push_back(static_cast<std::uint16_t>(v));
        }
        out.push_back(std::move(values));
    }
    return out;
}

namespace {

using V = FieldValues;
using Frames = std::vector<Frame>;

Frame simple(std::uint8_t code) {
    return FrameBuilder(code).finish();
}

PageField field(const char* key, const char* label, const char* initial) {
    return PageField{
        QString::fromLatin1(key), QString::fromUtf8(label), QString::fromUtf8(initial), {}};
}

PageButton button(const char* label, std::function<Frames(V&)> build) {
    return PageButton{QString::fromUtf8(label), std::move(build)};
}

PageButton fixed(const char* label, Frame frame) {
    return button(label, [frame](V&) { return Frames{frame}; });
}

// Screen and control ids of the control pages.
FrameBuilder control(V& v, std::uint8_t sub) {
    FrameBuilder b(0xB1);
    b.u8(sub).u16(static_cast<std::uint16_t>(v.number("screen", 2)));
    b.u16(static_cast<std::uint16_t>(v.number("control", 2)));
    return b;
}

std::vector<PageField> controlFields() {
    return {field("screen", "画面ID", "0"), field("control", "控件ID", "1")};
}

// Colour buttons shared by the drawing pages: clear, foreground, background.
void colourButtons(CommandPageForm& p) {
    p.fields.push_back(field("fg", "前景色", "0xF800"));
    p.fields.push_back(field("bg", "背景色", "0x001F"));
    p.buttons.push_back(fixed("清屏", simple(0x01)));
    p.buttons.push_back(button("设置前景色", [](V& v) {
        return Frames{FrameBuilder(0x41).u16(std::uint16_t(v.number("fg", 2))).finish()};
    }));
    p.buttons.push_back(button("设置背景色", [](V& v) {
        return Frames{FrameBuilder(0x42).u16(std::uint16_t(v.number("bg", 2))).finish()};
    }));
}

// Buttons that draw one group of 16-bit values from the page's fields.
PageButton shape(const char* label, std::uint8_t code, std::vector<const char*> keys) {
    return button(label, [code, keys](V& v) {
        FrameBuilder b(code);
        for (const char* k : keys)
            b.u16(static_cast<std::uint16_t>(v.number(QString::fromLatin1(k), 2)));
        return Frames{b.finish()};
    });
}

Frame pointsFrame(std::uint8_t code, V& v, const QString& key, int prefix = -1) {
    FrameBuilder b(code);
    if (prefix >= 0)
        b.u8(static_cast<std::uint8_t>(prefix));
    for (const auto& g : v.groups(key)) {
        if (g.size() != 2)
            v.fail(key);
        for (std::uint16_t n : g)
            b.u16(n);
    }
    return b.finish();
}

std::vector<CommandPageForm> makePages() {
    std::vector<CommandPageForm> pages;

    { // device configuration
        CommandPageForm p{QStringLiteral("CDebugBasicInsPage"), QStringLiteral("设备配置"), {}, {}};
        QStringList rates;
        for (const char* r : {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200",
                              "218750", "437500", "875000", "1000000", "2000000"})
            rates << QString::fromLatin1(r);
        p.fields = {field("backlight", "背光亮度", "255"),
                    field("beep", "蜂鸣时长(10ms)", "10"),
                    field("touch", "触摸上传标志", "0x07"),
                    field("param", "0E 参数", "1"),
                    field("dimEnable", "自动背光", "1"),
                    field("bright", "亮屏亮度", "200"),
                    field("dim", "暗屏亮度", "20"),
                    field("dimTime", "暗屏时间(秒)", "10"),
                    PageField{QStringLiteral("baud"), QStringLiteral("波特率"), QStringLiteral("3"),
                              rates}};
        p.buttons = {
            fixed("握手", simple(0x04)),
            button("0E 带参数",
                   [](V& v) {
                       return Frames{
                           FrameBuilder(0x0E).u8(std::uint8_t(v.number("param", 1))).finish()};
                   }),
            fixed("0E", simple(0x0E)),
            button("设置背光",
                   [](V& v) {
                       return Frames{
                           FrameBuilder(0x60).u8(std::uint8_t(v.number("backlight", 1))).finish()};
                   }),
            button("蜂鸣器",
                   [](V& v) {
                       return Frames{
                           FrameBuilder(0x61).u8(std::uint8_t(v.number("beep", 1))).finish()};
                   }),
            button("触摸上传",
                   [](V& v) {
                       return Frames{
                           FrameBuilder(0x70).u8(std::uint8_t(v.number("touch", 1))).finish()};
                   }),
            fixed("触摸校准", simple(0x72)),
            fixed("打开触摸体验", FrameBuilder(0x73).u8(1).finish()),
            fixed("关闭触摸体验", FrameBuilder(0x73).u8(0).finish()),
            button(
                "自动背光",
                [](V& v) {
                    FrameBuilder b(0x77);
                    b.u8(std::uint8_t(v.number("dimEnable", 1)));
                    b.u8(std::uint8_t(v.number("bright", 1))).u8(std::uint8_t(v.number("dim", 1)));
                    b.u8(std::uint8_t(v.number("dimTime", 1)));
                    return Frames{b.finish()};
                }),
            button("波特率", [](V& v) {
                const std::uint32_t i = v.number("baud", 1);
                if (i >= 13) {
                    v.fail(QStringLiteral("baud"));
                    return Frames{};
                }
                return Frames{FrameBuilder(0xA0).u8(kBaudRateCodes[i]).finish()};
            })};
        pages.push_back(p);
    }
    { // screen
        CommandPageForm p{QStringLiteral("CDebugScreenPage"),
                          QStringLiteral("画面"),
                          {field("screen", "画面ID", "0")},
                          {}};
        p.buttons = {button("切换画面",
                            [](V& v) {
                                return Frames{FrameBuilder(0xB1)
                                                  .u8(0)
                                                  .u16(std::uint16_t(v.number("screen", 2)))
                                                  .finish()};
                            }),
                     fixed("读取当前画面", FrameBuilder(0xB1).u8(1).finish())};
        pages.push_back(p);
    }
    { // text
        CommandPageForm p{QStringLiteral("CDebugTextPage"), QStringLiteral("文字"), {}, {}};
        colourButtons(p);
        for (PageField f :
             {field("x", "X", "10"), field("y", "Y", "10"), field("back", "显示背景", "0"),
              field("font", "字体", "1"), field("text", "文字", "Hello 你好"),
              field("cursor", "光标显示", "1"), field("cw", "光标宽", "2"),
              field("ch", "光标高", "16"), field("gap", "字间距", "0"),
              field("line", "行间距", "0"), field("wrap", "自动换行", "1"),
              field("bw", "文本框宽", "400"), field("bh", "文本框高", "200")})
            p.fields.push_back(f);
        p.buttons.push_back(button("设置光标", [](V& v) {
            FrameBuilder b(0x21);
            b.u8(std::uint8_t(v.number("cursor", 1))).u16(std::uint16_t(v.number("x", 2)));
            b.u16(std::uint16_t(v.number("y", 2))).u8(std::uint8_t(v.number("cw", 1)));
            b.u8(std::uint8_t(v.number("ch", 1)));
            return Frames{b.finish()};
        }));
        p.buttons.push_back(button("设置字间距", [](V& v) {
            return Frames{FrameBuilder(0x43)
                              .u8(std::uint8_t(v.number("gap", 1)))
                              .u8(std::uint8_t(v.number("line", 1)))
                              .finish()};
        }));
        p.buttons.push_back(button("设置文本框", [](V& v) {
            FrameBuilder b(0x45);
            b.u8(std::uint8_t(v.number("wrap", 1))).u16(std::uint16_t(v.number("bw", 2)));
            b.u16(std::uint16_t(v.number("bh", 2)));
            return Frames{b.finish()};
        }));
        p.buttons.push_back(button("显示文字", [](V& v) {
            FrameBuilder b(0x20);
            b.u16(std::uint16_t(v.number("x", 2))).u16(std::uint16_t(v.number("y", 2)));
            b.u8(std::uint8_t(v.number("back", 1))).u8(std::uint8_t(v.number("font", 1)));
            const auto text = v.panelText(QStringLiteral("text"));
            b.bytes(text.data(), text.size());
            return Frames{b.finish()};
        }));
        pages.push_back(p);
    }
    { // image display
        CommandPageForm p{QStringLiteral("CDebugImagePage"), QStringLiteral("图片显示"), {}, {}};
        p.fields = {field("x", "X", "0"),
                    field("y", "Y", "0"),
                    field("pic", "图片ID", "0"),
                    field("mask", "透明显示", "0"),
                    field("sx", "源X", "0"),
                    field("sy", "源Y", "0"),
                    field("w", "宽", "100"),
                    field("h", "高", "100"),
                    field("key1", "透明色1", "0x0000"),
                    field("key2", "透明色2", "0x0000"),
                    field("enable", "动画开关", "1"),
                    field("loops", "循环次数", "0")};
        p.buttons = {
            button(
                "显示图片",
                [](V& v) {
                    FrameBuilder b(0x32);
                    b.u16(std::uint16_t(v.number("x", 2))).u16(std::uint16_t(v.number("y", 2)));
                    b.u16(std::uint16_t(v.number("pic", 2))).u8(std::uint8_t(v.number("mask", 1)));
                    return Frames{b.finish()};
                }),
            button("剪切图片",
                   [](V& v) {
                       FrameBuilder b(0x33);
                       for (const char* k : {"x", "y", "pic", "sx", "sy", "w", "h"})
                           b.u16(std::uint16_t(v.number(QString::fromLatin1(k), 2)));
                       b.u8(std::uint8_t(v.number("mask", 1)));
                       return Frames{b.finish()};
                   }),
            shape("设置透明色", 0x44, {"key1", "key2"}), button("显示动画图片", [](V& v) {
                FrameBuilder b(0x80);
                b.u16(std::uint16_t(v.number("x", 2))).u16(std::uint16_t(v.number("y", 2)));
                b.u16(std::uint16_t(v.number("pic", 2))).u8(std::uint8_t(v.number("enable", 1)));
                b.u8(std::uint8_t(v.number("loops", 1)));
                return Frames{b.finish()};
            })};
        pages.push_back(p);
    }
    { // screen cut
        CommandPageForm p{QStringLiteral("CDebugCutScreenPage"), QStringLiteral("截图"), {}, {}};
        p.fields = {field("x", "X", "0"), field("y", "Y", "0"), field("w", "宽", "100"),
                    field("h", "高", "100")};
        p.buttons = {shape("截图保存", 0x46, {"x", "y", "w", "h"}),
                     shape("截图显示", 0x47, {"x", "y"})};
        pages.push_back(p);
    }
    { // simple shapes 1
        CommandPageForm p{
            QStringLiteral("CDebugSimpleShapePage"), QStringLiteral("简单图形1"), {}, {}};
        colourButtons(p);
        for (PageField f :
             {field("x0", "X0", "100"), field("y0", "Y0", "100"), field("x1", "X1", "300"),
              field("y1", "Y1", "200"), field("r", "半径", "50")})
            p.fields.push_back(f);
        p.buttons.push_back(shape("画线", 0x51, {"x0", "y0", "x1", "y1"}));
        p.buttons.push_back(shape("画点", 0x50, {"x0", "y0"}));
        p.buttons.push_back(shape("画圆", 0x52, {"x0", "y0", "r"}));
        p.buttons.push_back(shape("画实心圆", 0x53, {"x0", "y0", "r"}));
        p.buttons.push_back(shape("画矩形", 0x54, {"x0", "y0", "x1", "y1"}));
        p.buttons.push_back(shape("画实心矩形", 0x55, {"x0", "y0", "x1", "y1"}));
        p.buttons.push_back(shape("画椭圆", 0x56, {"x0", "y0", "x1", "y1"}));
        p.buttons.push_back(shape("画实心椭圆", 0x57, {"x0", "y0", "x1", "y1"}));
        pages.push_back(p);
    }
    { // simple shapes 2
        CommandPageForm p{
            QStringLiteral("CDebugSimpleShapePage2"), QStringLiteral("简单图形2"), {}, {}};
        colourButtons(p);
        for (PageField f :
             {field("x", "X", "400"), field("y", "Y", "300"), field("colour", "填充色", "0x07E0"),
              field("points", "多边形顶点", "100,100;200,100;150,200"), field("r", "半径", "80"),
              field("start", "起始角", "0"), field("end", "终止角", "90")})
            p.fields.push_back(f);
        p.buttons.push_back(shape("区域填充", 0x64, {"x", "y", "colour"}));
        p.buttons.push_back(button("多边形填充", [](V& v) {
            Frame f = pointsFrame(0x65, v, QStringLiteral("points"));
            const std::uint16_t c = std::uint16_t(v.number("colour", 2));
            f.insert(f.begin() + 2, {std::uint8_t(c >> 8), std::uint8_t(c)});
            return Frames{f};
        }));
        p.buttons.push_back(shape("画圆弧", 0x67, {"x", "y", "r", "start", "end"}));
        pages.push_back(p);
    }
    { // curve (polyline)
        CommandPageForm p{QStringLiteral("CDebugPolyPage"), QStringLiteral("曲线"), {}, {}};
        colourButtons(p);
        for (PageField f : {field("points", "折线顶点", "100,100;200,100;200,200;100,200;100,100"),
                            field("wave", "波形(X0,间距,Y…)", "100,150,70"),
                            field("relative", "相对折线(X0,Y0;dx,dy…)", "10,10;5,10;12,23"),
                            field("mode", "折线模式", "1"), field("select", "颜色选择", "0")})
            p.fields.push_back(f);
        p.buttons.push_back(button("设置折线模式", [](V& v) {
            return Frames{FrameBuilder(0x62).u8(std::uint8_t(v.number("mode", 1))).finish()};
        }));
        p.buttons.push_back(button("画折线", [](V& v) {
            return Frames{
                pointsFrame(0x63, v, QStringLiteral("points"), int(v.number("select", 1)))};
        }));
        p.buttons.push_back(button("前景色折线", [](V& v) {
            return Frames{pointsFrame(0x68, v, QStringLiteral("points"))};
        }));
        p.buttons.push_back(button("背景色折线", [](V& v) {
            return Frames{pointsFrame(0x69, v, QStringLiteral("points"))};
        }));
        p.buttons.push_back(button("波形", [](V& v) {
            FrameBuilder b(0x59);
            const auto g = v.groups(QStringLiteral("wave"));
            if (g.size() != 1 || g[0].size() < 3) {
                v.fail(QStringLiteral("wave"));
                return Frames{};
            }
            b.u16(g[0][0]).u16(g[0][1]);
            for (std::size_t i = 2; i < g[0].size(); ++i)
                b.u16(g[0][i]);
            return Frames{b.finish()};
        }));
        p.buttons.push_back(button("相对折线", [](V& v) {
            FrameBuilder b(0x75);
            const auto g = v.groups(QStringLiteral("relative"));
            for (std::size_t i = 0; i < g.size(); ++i) {
                if (g[i].size() != 2) {
                    v.fail(QStringLiteral("relative"));
                    return Frames{};
                }
                if (i == 0)
                    b.u16(g[i][0]).u16(g[i][1]);
                else
                    b.u8(std::uint8_t(g[i][0])).u8(std::uint8_t(g[i][1]));
            }
            return Frames{b.finish()};
        }));
        pages.push_back(p);
    }
    { // layers
        CommandPageForm p{QStringLiteral("CDebugLayerPage"), QStringLiteral("图层"), {}, {}};
        p.fields = {field("layer", "图层", "0"), field("flag", "切换画面清除", "1"),
                    field("src", "源图层", "0"), field("dst", "目标图层", "1"),
                    field("trans", "透明", "0"), field("copyFlag", "标志", "0")};
        const auto one = [](const char* label, std::uint8_t code, const char* key) {
            return button(label, [code, key](V& v) {
                return Frames{FrameBuilder(code)
                                  .u8(std::uint8_t(v.number(QString::fromLatin1(key), 1)))
                                  .finish()};
            });
        };
        p.buttons = {one("清除图层", 0x05, "layer"), one("切换画面清除", 0x06, "flag"),
                     one("设置指令图层", 0xA1, "layer"), one("设置用户图层", 0xA2, "layer"),
                     button("图层复制", [](V& v) {
                         FrameBuilder b(0xA4);
                         for (const char* k : {"src", "dst", "trans", "copyFlag"})
                             b.u8(std::uint8_t(v.number(QString::fromLatin1(k), 1)));
                         return Frames{b.finish()};
                     })};
        pages.push_back(p);
    }
    { // clock
        CommandPageForm p{QStringLiteral("CDebugRTCPage"), QStringLiteral("RTC设置"), {}, {}};
        p.fields = {field("year", "年", "2024"),
                    field("month", "月", "1"),
                    field("day", "日", "1"),
                    field("week", "星期", "1"),
                    field("hour", "时", "12"),
                    field("minute", "分", "0"),
                    field("second", "秒", "0"),
                    field("enable", "显示时间", "1"),
                    field("format", "格式", "1"),
                    field("font", "字体", "1"),
                    field("colour", "颜色", "0xFFFF"),
                    field("x", "X", "10"),
                    field("y", "Y", "10")};
        p.buttons = {
            button("设置时间",
                   [](V& v) {
                       const std::uint32_t year = v.number("year", 2);
                       if (v.error.isEmpty() && (year < 2000 || year > 2099)) {
                           v.fail(QString::fromLatin1(kYearOutOfRange));
                           return Frames{};
                       }
                       struct Part {
                           const char* key;
                           std::uint32_t max;
                       };
                       FrameBuilder b(0x81);
                       for (Part part : {Part{"second", 59}, Part{"minute", 59}, Part{"hour", 23},
                                         Part{"day", 31}, Part{"week", 6}, Part{"month", 12}}) {
                           const std::uint32_t n = v.number(QString::fromLatin1(part.key), 1);
                           if (n > part.max)
                               v.fail(QString::fromLatin1(part.key));
                           b.u8(toBcd(n));
                       }
                       b.u8(toBcd(year % 100));
                       return Frames{b.finish()};
                   }),
            fixed("读取时间", simple(0x82)), button("显示时间", [](V& v) {
                FrameBuilder b(0x85);
                b.u8(std::uint8_t(v.number("enable", 1))).u8(std::uint8_t(v.number("format", 1)));
                b.u8(std::uint8_t(v.number("font", 1))).u16(std::uint16_t(v.number("colour", 2)));
                b.u16(std::uint16_t(v.number("x", 2))).u16(std::uint16_t(v.number("y", 2)));
                return Frames{b.finish()};
            })};
        pages.push_back(p);
    }
    { // memory
        CommandPageForm p{QStringLiteral("CDebugRamRomPage"), QStringLiteral("存储器读写"), {}, {}};
        p.fields = {field("address", "地址(十六进制)", "00000000"),
                    field("data", "数据", "31 32 33 3A 3B 3C"), field("length", "读取长度", "6")};
        const auto address = [](V& v) {
            bool ok = false;
            const QString t = v.text(QStringLiteral("address")).trimmed();
            const qulonglong a = t.toULongLong(&ok, 16);
            if (!ok || a > 0xFFFFFFFFull)
                v.fail(QStringLiteral("address"));
            return static_cast<std::uint32_t>(a);
        };
        p.buttons = {button("写入",
                            [address](V& v) {
                                FrameBuilder b(0x7A);
                                b.u32(address(v));
                                const auto data = v.hexBytes(QStringLiteral("data"));
                                b.bytes(data.data(), data.size());
                                return Frames{b.finish()};
                            }),
                     button("读取", [address](V& v) {
                         FrameBuilder b(0x7B);
                         b.u32(address(v)).u16(std::uint16_t(v.number("length", 2)));
                         return Frames{b.finish()};
                     })};
        pages.push_back(p);
    }
    { // matrix keyboard
        CommandPageForm p{QStringLiteral("CDebugKeyboardPage"),
                          QStringLiteral("矩阵键盘"),
                          {field("param", "参数", "0x01")},
                          {}};
        p.buttons = {button("矩阵键盘", [](V& v) {
            return Frames{FrameBuilder(0x79).u8(std::uint8_t(v.number("param", 1))).finish()};
        })};
        pages.push_back(p);
    }
    { // audio
        CommandPageForm p{QStringLiteral("CDebugVoicePage"),
                          QStringLiteral("音频"),
                          {field("sound", "音频ID", "0")},
                          {}};
        p.buttons = {shape("播放", 0x90, {"sound"}), fixed("停止", simple(0x91))};
        pages.push_back(p);
    }
    { // animation control
        CommandPageForm p{
            QStringLiteral("CDebugAnimationPage"), QStringLiteral("动画控制"), controlFields(), {}};
        p.fields.push_back(field("frame", "帧", "0"));
        const char* labels[] = {"开始", "停止", "暂停", "设置帧", "上一帧", "下一帧"};
        for (std::uint8_t sub = 0x20; sub <= 0x25; ++sub)
            p.buttons.push_back(button(labels[sub - 0x20], [sub](V& v) {
                FrameBuilder b = control(v, sub);
                if (sub == 0x23)
                    b.u8(std::uint8_t(v.number("frame", 1)));
                return Frames{b.finish()};
            }));
        pages.push_back(p);
    }
    { // meter, progress bar, slider
        CommandPageForm p{QStringLiteral("CDebugMeterPage"),
                          QStringLiteral("仪表/进度条/滑块控件"),
                          controlFields(),
                          {}};
        p.fields.push_back(field("value", "数值", "50"));
        p.buttons = {button("设置数值",
                            [](V& v) {
                                return Frames{control(v, 0x10).u32(v.number("value", 4)).finish()};
                            }),
                     button("读取数值", [](V& v) { return Frames{control(v, 0x11).finish()}; })};
        pages.push_back(p);
    }
    { // button control
        CommandPageForm p{
            QStringLiteral("CDebugSwitchPage"), QStringLiteral("按钮控件"), controlFields(), {}};
        p.fields.push_back(field("state", "状态", "1"));
        p.buttons = {
            button("设置状态",
                   [](V& v) {
                       return Frames{
                           control(v, 0x10).u8(std::uint8_t(v.number("state", 1))).finish()};
                   }),
            button("读取状态", [](V& v) { return Frames{control(v, 0x11).finish()}; })};
        pages.push_back(p);
    }
    { // text control
        CommandPageForm p{QStringLiteral("CDebugTextDisplayPage"),
                          QStringLiteral("文本控件"),
                          controlFields(),
                          {}};
        p.fields.push_back(field("focus", "焦点", "1"));
        p.fields.push_back(field("text", "文本", "123"));
        p.buttons = {
            button("设置焦点",
                   [](V& v) {
                       return Frames{
                           control(v, 0x02).u8(std::uint8_t(v.number("focus", 1))).finish()};
                   }),
            button("设置文本",
                   [](V& v) {
                       FrameBuilder b = control(v, 0x10);
                       const auto t = v.panelText(QStringLiteral("text"));
                       b.bytes(t.data(), t.size());
                       return Frames{b.finish()};
                   }),
            button("读取文本", [](V& v) { return Frames{control(v, 0x11).finish()}; })};
        pages.push_back(p);
    }
    { // graph control
        CommandPageForm p{
            QStringLiteral("CDebugGraphPage"), QStringLiteral("曲线控件"), controlFields(), {}};
        for (PageField f : {field("channel", "通道", "0"), field("colour", "颜色", "0xF800"),
                            field("data", "数据", "10 20 30 40 50"), field("xoff", "X偏移", "0"),
                            field("xscale", "X缩放", "100"), field("yoff", "Y偏移", "0"),
                            field("yscale", "Y缩放", "100")})
            p.fields.push_back(f);
        p.buttons = {
            button("添加通道",
                   [](V& v) {
                       FrameBuilder b = control(v, 0x30);
                       b.u8(std::uint8_t(v.number("channel", 1)))
                           .u16(std::uint16_t(v.number("colour", 2)));
                       return Frames{b.finish()};
                   }),
            button("删除通道",
                   [](V& v) {
                       return Frames{
                           control(v, 0x31).u8(std::uint8_t(v.number("channel", 1))).finish()};
                   }),
            button("添加数据",
                   [](V& v) {
                       FrameBuilder b = control(v, 0x32);
                       const auto data = v.hexBytes(QStringLiteral("data"));
                       b.u8(std::uint8_t(v.number("channel", 1))).u16(std::uint16_t(data.size()));
                       b.bytes(data.data(), data.size());
                       return Frames{b.finish()};
                   }),
            button("清除通道",
                   [](V& v) {
                       return Frames{
                           control(v, 0x33).u8(std::uint8_t(v.number("channel", 1))).finish()};
                   }),
            button("设置视图", [](V& v) {
                FrameBuilder b = control(v, 0x34);
                for (const char* k : {"xoff", "xscale", "yoff", "yscale"})
                    b.u16(std::uint16_t(v.number(QString::fromLatin1(k), 2)));
                return Frames{b.finish()};
            })};
        pages.push_back(p);
    }
    return pages;
}

} // namespace

const std::vector<CommandPageForm>& commandPages() {
    static const std::vector<CommandPageForm> pages = makePages();
    return pages;
}

const CommandPageForm* commandPage(const QString& className) {
    for (const CommandPageForm& p : commandPages())
        if (p.className == className)
            return &p;
    return nullptr;
}

std::vector<Frame> buildFrames(const CommandPageForm& page, const QString& buttonLabel,
                               const QMap<QString, QString>& texts, QString* error) {
    QMap<QString, QString> all;
    for (const PageField& f : page.fields)
        all.insert(f.key, f.initial);
    for (auto it = texts.begin(); it != texts.end(); ++it)
        all.insert(it.key(), it.value());
    for (const PageButton& b : page.buttons) {
        if (b.label != buttonLabel)
            continue;
        FieldValues values(all);
        std::vector<Frame> frames = b.build(values);
        if (!values.error.isEmpty()) {
            if (error)
                *error = values.error;
            return {};
        }
        return frames;
    }
    if (error)
        *error = buttonLabel;
    return {};
}

} // namespace tft::ide
