#include "compiler/messages.h"

#include <charconv>
#include <pugixml.hpp>

namespace tft {
namespace {

// Backslash escapes of the language files: \n, \r, \t, \\ and \".
std::string unescape(const std::string& in) {
    std::string out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 == in.size()) {
            out += in[i];
            continue;
        }
        const char next = in[++i];
        switch (next) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        case '"':
            out += '"';
            break;
        default:
            out += '\\';
            out += next;
        }
    }
    return out;
}

void pad(std::string& out, const std::string& value, bool left, std::size_t width) {
    if (!left)
        out.append(value.size() < width ? width - value.size() : 0, ' ');
    out += value;
    if (left)
        out.append(value.size() < width ? width - value.size() : 0, ' ');
}

} // namespace

std::string formatMessage(const std::string& format, const std::vector<MessageArg>& args) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // %[-][width](s|d|u); widths are capped so a hostile text cannot ask
        // for gigabytes of padding.
        std::size_t j = i + 1;
        const bool left = j < format.size() && format[j] == '-';
        if (left)
            ++j;
        std::size_t width = 0;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9') {
            width =
                std::min<std::size_t>(width * 10 + static_cast<std::size_t>(format[j] - '0'), 1000);
            ++j;
        }
        const char conv = j < format.size() ? format[j] : '\0';
        const bool wantsText = conv == 's';
        const bool wantsNumber = conv == 'd' || conv == 'u';
        if ((!wantsText && !wantsNumber) || next >= args.size() ||
            (wantsText != std::holds_alternative<std::string>(args[next]))) {
            out += '%'; // not a placeholder we can fill: copy it literally
            continue;
        }
        if (wantsText)
            pad(out, std::get<std::string>(args[next]), left, width);
        else
            pad(out, std::to_string(std::get<std::int64_t>(args[next])), left, width);
        ++next;
        i = j;
    }
    return out;
}

const std::map<int, std::string>& MessageTable::builtIn() {
    static const std::map<int, std::string> table{
        {2, "内存严重不足, 编译器强行退出.\n"},
        {3, "生成DefineID.c文件..."},
        {4, "磁盘操作异常, 编译器强行退出.\n"},
        {5, "编译器异常, 编译器强行退出.\n"},
        {6, "编译器未知异常, 编译器强行退出.\n"},
        {7, "编译工程初始化失败...\n"},
        {8, "编译工程参数初始化错误...\n"},
        {9, "工程路径参数错误..."},
        {12, "读取工程文件失败..."},
        {13, "\n%s - %d error(s), %d warning(s)"},
        {14, "编译画面初始化失败..."},
        {15, "画面%s路径错误..."},
        {16, "加载%s失败..."},
        {17, "加载画面信息失败..."},
        {18, "//设置视图背景色\n"},
        {19, "编译%s失败..."},
        {20, "不可识别图形..."},
        {21, "/*****************************************************************************\n*    "
             "                              文件信息\n*\n* 文件名称:   %s.c\n* 修改时间:   %s\n* "
             "文件说明:   "
             "%s画面函数\n*\n**********************************************************************"
             "********\n*                                  使用必读\n*\n* "
             "每个画面函数所用的驱动函数位于hmi_driver.c中, "
             "可以将它们复制到应用程序中使用。\n*\n************************************************"
             "*****************************/\n\n#include \"%s\"\n\nvoid %s()\n{\n"},
        {22, "生成%s文件..."},
        {23, "生成%s文件失败..."},
        {25, "当前工程无画面..."},
        {26, "开始编译画面..."},
        {30, "打开资源文件失败..."},
        {31, "开始编译图片文件..."},
        {32, "编译%s..."},
        {33, "编译%s失败..."},
        {35, "读取Wave文件集合失败..."},
        {36, "开始编译Wave文件..."},
        {37, "编译%s..."},
        {38, "编译%s失败..."},
        {39, "生成%s.gra文件..."},
        {40, "生成%s.gra文件失败..."},
        {41, "生成%s.graidx文件..."},
        {42, "生成%s.graidx文件失败..."},
        {45, "生成%s.pwi文件..."},
        {46, "生成%s.pwi文件失败..."},
        {47, "生成%s.tftres文件..."},
        {48, "生成%s.tftres文件失败..."},
        {50, "(5100)图片%s加载失败..."},
        {51, "(5101)锁定图片失败..."},
        {52, "(5102)内存不足..."},
        {53, "(5103)图片太大, 超出可编译范围..."},
        {54, "(5104)Nandflash不足..."},
        {56, "(5105)Bin文件中写图片索引重定位失败..."},
        {57, "(5106)Bin文件中写图片重定位失败..."},
        {58, "(5151)gif图片帧数超过255帧，超出部分将被忽略..."},
        {59, "锁定当前帧失败..."},
        {61, "图片不存在..."},
        {62, "图片格式不支持..."},
        {63, "%s 非文件路径..."},
        {64, "打开%s 文件失败..."},
        {65, "%s 非.wav文件或文件被破坏..."},
        {66, "%s 非PCM编码格式的.wav文件或文件被破坏..."},
        {67, "%s 为空文件..."},
        {68, "Wave文件写入资源信息失败..."},
        {69, "Bin文件中写Wave文件索引失败..."},
        {70, "Bin文件中写Wave文件失败..."},
        {71, "错误："},
        {72, "警告："},
        {73, "//画线\n"},
        {75, "//画折线\n"},
        {77, "//画实心矩形 \n"},
        {78, "//画空心矩形 \n"},
        {79, "生成DefineID.c文件失败..."},
        {80, "//画实心椭圆 \n"},
        {81, "//画空心椭圆 \n"},
        {82, "//画实心圆 \n"},
        {83, "//画空心圆 \n"},
        {84, "//文本显示\n"},
        {85, "//图片显示\n//图片名: %s\n"},
        {86, "(5001)编译图片错误..."},
        {87, "编译函数注册失败!\n"},
        {89, "获取图形信息失败..."},
        {90, "获取图片资源信息失败 ..."},
        {92, "%s背景图片设置错误..."},
        {93, "//设置视图背景图片\n"},
        {94, "画面文件写入资源信息失败..."},
        {95, "//创建画面%s的命令索引ID\n"},
        {96, "//按钮%s的控件ID\n"},
        {97, "%s画面中多个控件的名字为%s..."},
        {98, "多个画面的名字为%s..."},
        {99, "加载工程失败..."},
        {100, "工程的设备类型不存在..."},
        {101, "//画文本显示器"},
        {102, "消息显示器%s未设背景图片..."},
        {103, "工程启动动作设置错误..."},
        {104, "开关%s动作设置错误..."},
        {105, "文本长度超过255个字节..."},
        {106, "开关%s的按键码只支持一个字符..."},
        {107, "开关%s画面切换的目标画面为空..."},
        {108, "开关%s的画面切换的目标画面不存在..."},
        {109, "仪表宽度不能为0..."},
        {110, "游标大小或位置超出滑块的控件边界范围..."},
        {111, "//显示RTC时间\n"},
        {112, "启动画面设置错误，启动画面不存在..."},
        {113, "//全局图片%s\n"},
        {114, "//画面%s中图片%s使用的图片\n"},
        {115, "//画面%s中按钮%s弹起时的图片\n"},
        {116, "//画面%s中按钮%s按下时的图片\n"},
        {117, "//画面%s中文本显示%s的背景图片\n"},
        {118, "//画面%s中进度条%s的背景图片\n"},
        {119, "//画面%s中进度条%s的前景图片\n"},
        {120, "//画面%s中仪表%s的背景图片\n"},
        {121, "//画面%s的背景图片\n"},
        {122, "//画面%s中动画控件%s使用的图片\n"},
        {130, "//曲线\n"},
        {200, "输出目录为空, 编译器不会清空工程文件夹..."},
        {201, "输出目录%s是绝对路径, 它必须位于工程文件夹之内..."},
        {202, "输出目录%s超出了工程文件夹..."},
        {203, "输出目录%s就是工程文件夹本身..."},
        {204, "输出目录%s经由符号链接指向别处, 编译器不会清空它..."},
        {205, "创建输出目录%s失败: %s..."},
        {206, "清空输出目录%s失败: %s..."},
        {207, "输出目录%s必须以\\或/结尾..."},
        {208, "画面数量超出65535..."},
        {209, "写入画面信息文件%s失败: %s..."},
        {210, "工程名称%s不能包含\\或/, 它是输出文件的名称..."},
        {211, "加载字体文件失败: %s..."},
        {212, "%s的命令长%d字节, 超过了面板一帧最多能读取的%d字节..."},
        {213, "文本中第%d个字符\"%s\"(U+%s)无法用GBK(代码页936)表示..."},
        {214, "名称%s中第%d个字符\"%s\"(U+%s)无法用GBK(代码页936)表示, 生成的C文件使用该代码页..."},
        {215, "名称%s含有控制字符(如换行), 它会成为文件名或C代码的一部分..."},
        {216, "画面%s的C文件%s与编译生成的文件重名..."},
        {217, "不支持WMF图片%s, 请将它转换为PNG..."},
        {218, "//画面%s中滑块%s的背景图片\n"},
        {219, "//画面%s中滑块%s的游标图片\n"},
    };
    return table;
}

MessageTable::MessageTable() : texts_(builtIn()) {}

bool MessageTable::loadLanguageFile(const std::filesystem::path& file, std::string* error) {
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_file(file.c_str());
    if (!result || !doc.document_element()) {
        if (error)
            *error = file.string() + ": " + (result ? "no root element" : result.description());
        return false;
    }
    for (pugi::xml_node node : doc.document_element().children("message")) {
        const std::string idText = node.attribute("id").value();
        int id = 0;
        const auto [end, ec] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
        if (ec != std::errc() || end != idText.data() + idText.size())
            continue;
        texts_[id] = unescape(node.text().get());
    }
    return true;
}

const std::string& MessageTable::text(int number) const {
    static const std::string none;
    const auto found = texts_.find(number);
    return found == texts_.end() ? none : found->second;
}

std::string MessageTable::format(int number, const std::vector<MessageArg>& args) const {
    return formatMessage(text(number), args);
}

std::filesystem::path MessageTable::languageFile(const std::filesystem::path& appDir,
                                                 int language) {
    return appDir / "lang" / (language == 1 ? "compiler_1033.xml" : "compiler_2052.xml");
}

} // namespace tft
