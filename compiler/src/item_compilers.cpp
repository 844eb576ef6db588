#include "compiler/item_compilers.h"

#include "common/codec.h"
#include "common/frame.h"
#include "compiler/build_action_manager.h"
#include "compiler/identifiers.h"
#include "compiler/options.h"
#include "compiler/picture_compiler.h"
#include "compiler/project.h"
#include "compiler/resource_store.h"
#include "dorsalis/screen_info_store.h"
#include "drawing/control_art.h"
#include "media/picture.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <set>

namespace tft {
namespace {

constexpr std::uint16_t kNoPicture = 0xFFFF;

// Control kind codes of the draw-control command.
enum : std::uint8_t {
    kButton = 0x10,
    kTextDisplay = 0x11,
    kProgress = 0x12,
    kSlider = 0x13,
    kMeter = 0x14,
    kAnimation = 0x16,
    kRtc = 0x17,
    kGraph = 0x18,
};

int curveCounter = 0;

// The panel reads a screen's commands frame by frame through a 2048-byte
// window: a longer frame is never found, and the scan of the screen ends there.
constexpr std::size_t kPanelFrameLimit = 2048;
// The longest frame the item being compiled has produced so far.
std::size_t longestFrame = 0;

CBuildActionManager& sink() {
    return CBuildActionManager::instance();
}

std::uint16_t u16(std::int64_t v) {
    return static_cast<std::uint16_t>(v & 0xFFFF);
}
std::uint8_t u8(std::int64_t v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}
std::uint32_t u32(std::int64_t v) {
    return static_cast<std::uint32_t>(v & 0xFFFFFFFF);
}

void append(std::vector<std::uint8_t>& bytes, const FrameBuilder& frame) {
    const auto f = frame.finish();
    longestFrame = std::max(longestFrame, f.size());
    bytes.insert(bytes.end(), f.begin(), f.end());
}

std::string n(std::int64_t v) {
    return std::to_string(v);
}

template <class... T> std::string list(T... values) {
    std::string out;
    for (std::int64_t v : {std::int64_t(values)...})
        out += (out.empty() ? "" : ", ") + n(v);
    return out;
}

template <class Record> const Record& recordOf(IItemLite& item) {
    return dynamic_cast<const Record&>(dynamic_cast<IObjPropExport&>(item).exportProperties());
}

std::string pageNameOf(IItemLite& item) {
    return item.pageName();
}

// "SetFcolor(c);" and its frame.
void foreground(std::uint32_t colour, std::string& c, std::vector<std::uint8_t>& bytes) {
    const std::uint16_t v = colourToRgb565(colour);
    c += "SetFcolor(" + n(v) + ");\n";
    append(bytes, FrameBuilder(0x41).u16(v));
}

// Text for the panel: line feeds as CR LF, code page 936.
std::optional<std::string> panelText(const std::string& utf8) {
    std::string crlf;
    for (char ch : utf8) {
        if (ch == '\n')
            crlf += '\r';
        crlf += ch;
    }
    const Converted gbk = utf8ToGbk(crlf);
    if (!gbk.ok)
        return std::nullopt;
    return gbk.bytes;
}

// The panel's texts are code page 936: a character outside it is named with
// its code point and position, and the item is refused.
bool textInCodePage936(IItemLite& item, const std::string& text) {
    const auto bad = firstNonGbkCharacter(text);
    if (!bad)
        return true;
    sink().error(item.messagePrefix() +
                 sink().text(msg::TextNotGbk, {bad->position, bad->character, bad->codePoint}));
    return false;
}

// A name or path that the generated C quotes in a comment must be one line of
// code page 936.
bool fitsGeneratedC(IItemLite& item, const std::string& name) {
    if (hasControlCharacter(name)) {
        sink().error(item.messagePrefix() +
                     sink().text(msg::NameHasControlCharacter, {visibleControls(name)}));
        return false;
    }
    if (const auto bad = firstNonGbkCharacter(name)) {
        sink().error(
            item.messagePrefix() +
            sink().text(msg::NameNotGbk, {name, bad->position, bad->character, bad->codePoint}));
        return false;
    }
    return true;
}

// A C string literal body: line feeds as \n; backslashes, quotes and
// carriage returns escaped so that the literal stays one valid token.
std::string cLiteral(const std::string& text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

bool drawBox(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes, int comment,
             std::int32_t fill, std::uint32_t pen, std::int32_t x, std::int32_t y, std::int32_t w,
             std::int32_t h, const char* emptyCall, const char* fillCall, std::uint8_t emptyCode,
             std::uint8_t fillCode, int fillComment) {
    (void)item;
    c += sink().text(fill == 1 ? fillComment : comment);
    foreground(pen, c, bytes);
    const std::uint16_t x0 = u16(x), y0 = u16(y);
    const std::uint16_t x1 = u16(x0 + w - 1), y1 = u16(y0 + h - 1);
    if (fill == 0 || fill == 1) {
        c += std::string(fill == 1 ? fillCall : emptyCall) + "(" + list(x0, y0, x1, y1) + ");\n\n";
        append(bytes,
               FrameBuilder(fill == 1 ? fillCode : emptyCode).u16(x0).u16(y0).u16(x1).u16(y1));
    }
    return true;
}

bool compileLine(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    const auto& p = recordOf<PropExport_Line>(item);
    c += sink().text(73);
    foreground(p.pen_color, c, bytes);
    c += "GUI_Line(" + list(u16(p.x0), u16(p.y0), u16(p.x1), u16(p.y1)) + ");\n\n";
    append(bytes, FrameBuilder(0x51).u16(u16(p.x0)).u16(u16(p.y0)).u16(u16(p.x1)).u16(u16(p.y1)));
    return true;
}

bool compileCurve(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    const auto& p = recordOf<PropExport_Curve>(item);
    c += sink().text(75);
    foreground(p.pen_color, c, bytes);
    const std::size_t points = p.points.size() / 2;
    if (points == 1) {
        c += "GUI_Dot(" + n(p.points[0]) + ", " + n(p.points[1]) + ");\n";
        append(bytes, FrameBuilder(0x50).u16(p.points[0]).u16(p.points[1]));
    } else if (points >= 2) {
        const int number = curveCounter++;
        const std::string array = "usPointXY" + n(number);
        const std::string index = "nIndex" + n(number);
        std::string values;
        for (std::uint16_t v : p.points)
            values += n(v) + ",";
        c += "unsigned short " + array + "[] = {" + values + "};\n";
        c += "for(int " + index + " = 0; " + index + " < " + n(std::int64_t(points) - 1) + "; ++" +
             index + ")\n";
        c += "{\n\tGUI_Line(" + array + "[" + index + "*2], " + array + "[" + index + "*2+1], " +
             array + "[" + index + "*2+2], " + array + "[" + index + "*2+3]);\n}\n";
        for (std::size_t i = 0; i + 1 < points; ++i)
            append(bytes, FrameBuilder(0x51)
                              .u16(p.points[2 * i])
                              .u16(p.points[2 * i + 1])
                              .u16(p.points[2 * i + 2])
                              .u16(p.points[2 * i + 3]));
    }
    return true;
}

bool compileRectangle(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    const auto& p = recordOf<PropExport_Rectangle>(item);
    return drawBox(item, c, bytes, 78, p.fill_type, p.pen_color, p.xOffset, p.yOffset, p.width,
                   p.height, "GUI_Rectangle", "GUI_RectangleFill", 0x54, 0x55, 77);
}

bool compileEllipse(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    const auto& p = recordOf<PropExport_Ellipse>(item);
    return drawBox(item, c, bytes, 81, p.fill_type, p.pen_color, p.xOffset, p.yOffset, p.width,
                   p.height, "GUI_Ellipse", "GUI_EllipseFill", 0x56, 0x57, 80);
}

bool compileCircle(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    const auto& p = recordOf<PropExport_Circle>(item);
    c += sink().text(p.fill_type == 1 ? 82 : 83);
    foreground(p.pen_color, c, bytes);
    if (p.fill_type == 0 || p.fill_type == 1) {
        const bool fill = p.fill_type == 1;
        c += std::string(fill ? "GUI_CircleFill(" : "GUI_Circle(") +
             list(u16(p.x), u16(p.y), u16(p.radius)) + ");\n\n";
        append(bytes,
               FrameBuilder(fill ? 0x53 : 0x52).u16(u16(p.x)).u16(u16(p.y)).u16(u16(p.radius)));
    }
    return true;
}

bool compileText(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    const auto& p = recordOf<PropExport_Text>(item);
    if (!textInCodePage936(item, p.text))
        return false;
    const auto text = panelText(p.text);
    if (!text)
        return false;
    c += sink().text(84);
    foreground(p.fore_color, c, bytes);
    if (p.show_bk == 1) {
        const std::uint16_t bk = colourToRgb565(p.bk_color);
        c += "SetBcolor(" + n(bk) + ");\n";
        append(bytes, FrameBuilder(0x42).u16(bk));
    }
    c += "SetFont_Region(1, " + n(u16(p.width)) + "," + n(u16(p.height)) + ");\n";
    append(bytes, FrameBuilder(0x45).u8(1).u16(u16(p.width)).u16(u16(p.height)));
    c += "SetTextSpace(" + n(u8(p.row_gap)) + "," + n(u8(p.col_gap)) + ");\n";
    append(bytes, FrameBuilder(0x43).u8(u8(p.row_gap)).u8(u8(p.col_gap)));
    c += "DisText(" + n(u16(p.xOffset)) + ", " + n(u16(p.yOffset)) + ", " + n(u8(p.show_bk)) +
         ", " + n(u8(p.font)) + ", \"" + cLiteral(p.text) + "\");\n\n";
    append(bytes, FrameBuilder(0x20)
                      .u16(u16(p.xOffset))
                      .u16(u16(p.yOffset))
                      .u8(u8(p.show_bk))
                      .u8(u8(p.font))
                      .bytes(text->data(), text->size()));
    return true;
}

std::string lowerExtension(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return asciiLower(path.substr(dot + 1));
}

// A screen picture of a control cut to the part on the screen; 0xFFFF when it
// fails (the path as info and message 86 reported) or nothing is on screen.
struct ControlPicture {
    std::uint16_t index = kNoPicture;
    bool animated = false;
    bool failed = false;
};
ControlPicture controlPicture(IItemLite& item, const std::string& path, int width, int height,
                              const OnScreen& on, std::vector<std::string> parts, int comment,
                              bool crop = false, std::optional<std::uint16_t> filter = {}) {
    ControlPicture out;
    if (!on.visible)
        return out;
    ScreenPictureRequest request;
    request.path = path;
    request.targetWidth = width;
    request.targetHeight = height;
    request.crop = crop;
    request.effectLeft = on.cutLeft;
    request.effectTop = on.cutTop;
    request.effectWidth = on.width;
    request.effectHeight = on.height;
    request.filterColour = filter;
    request.idParts = std::move(parts);
    request.comment = sink().text(comment, {pageNameOf(item), item.name()});
    request.prefix = item.messagePrefix();
    const auto stored = compileScreenPicture(request);
    if (!stored) {
        sink().info(path);
        sink().error(item.messagePrefix() + sink().text(86));
        out.failed = true;
        return out;
    }
    out.index = stored->index;
    out.animated = stored->animated;
    return out;
}

bool compileImage(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    const auto& p = recordOf<PropExport_Image>(item);
    if (p.url.empty()) {
        sink().error(item.messagePrefix() + sink().text(61));
        return false;
    }
    if (!fitsGeneratedC(item, p.url))
        return false;
    c += sink().text(85, {p.url});
    const std::string ext = lowerExtension(p.url);
    const bool gif = ext == "gif";
    const bool still = ext == "png" || ext == "bmp" || ext == "dib" || ext == "jpg" ||
                       ext == "jpe" || ext == "jpeg" || ext == "jfif" || ext == "wmf";
    if (!gif && !still)
        return true; // icons and unknown types: nothing the panel can show
    const OnScreen on = onScreen(p.xOffset, p.yOffset, p.width, p.height);
    if (!on.visible)
        return true;
    // `filter` set: the colour `clr_low` is drawn transparent as well.
    std::optional<std::uint16_t> filter;
    if (p.filter != 0)
        filter = colourToRgb565(p.clr_low);
    const ControlPicture pic =
        controlPicture(item, p.url, p.width, p.height, on, {"IMG", pageNameOf(item), item.name()},
                       114, p.crop != 0, filter);
    if (pic.failed)
        return false;
    const std::uint16_t x = u16(on.left), y = u16(on.top);
    if (gif) {
        c += "DisFlashImage(" + n(x) + "," + n(y) + ", " + n(pic.index) + ", 1, 0);\n\n";
        append(bytes, FrameBuilder(0x80).u16(x).u16(y).u16(pic.index).u8(1).u8(0));
    } else {
        c += "DisArea_Image(" + n(x) + "," + n(y) + ", " + n(pic.index) + ", 1);\n\n";
        append(bytes, FrameBuilder(0x32).u16(x).u16(y).u16(pic.index).u8(1));
    }
    return true;
}

// A control definition starts with its id, kind and rectangle.
FrameBuilder control(IItemLite& item, std::uint8_t kind, int x, int y, int width, int height) {
    const auto id = dynamic_cast<IObjPropExport&>(item).exportProperties().id;
    return std::move(FrameBuilder(0xB0)
                         .u16(u16(id))
                         .u8(kind)
                         .u16(u16(x))
                         .u16(u16(y))
                         .u16(u16(width))
                         .u16(u16(height)));
}

bool compileTextDisplay(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    const auto& p = recordOf<PropExport_TextDisplay>(item);
    if (!textInCodePage936(item, p.text))
        return false;
    c += sink().text(101) + "\n";
    const OnScreen on = onScreen(p.xOffset, p.yOffset, p.width, p.height);
    if (!on.visible)
        return true;
    std::uint16_t background = kNoPicture;
    bool ok = true;
    if (p.show_bkg_style == 2) {
        if (p.bkg_image_path.empty()) {
            sink().error(item.messagePrefix() + sink().text(102, {item.name()}));
            ok = false;
        } else {
            background = controlPicture(item, p.bkg_image_path, p.width, p.height, on,
                                        {"IMG", pageNameOf(item), item.name()}, 117)
                             .index;
        }
    }
    auto text = panelText(p.text);
    if (!text)
        return false;
    if (text->size() > 255) {
        sink().error(item.messagePrefix() + sink().text(105));
        text->resize(text->size() % 256);
        ok = false;
    }
    FrameBuilder f = control(item, kTextDisplay, on.left, on.top, p.width, p.height);
    f.u8(u8(p.font))
        .u8(u8(p.show_bkg_style))
        .u16(colourToRgb565(p.bkg_color))
        .u16(background)
        .u16(colourToRgb565(p.fore_color))
        .u8(u8(p.password))
        .u8(u8(p.input_mode))
        .u8(u8(p.text_type))
        .u8(0)
        .u8(u8(p.text_len_max))
        .u8(u8(static_cast<std::int64_t>(text->size())))
        .bytes(text->data(), text->size());
    append(bytes, f);
    // The checks above are errors of the build, but the control itself is
    // still sent with what could be compiled.
    (void)ok;
    return true;
}

bool compileGraph(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    const auto& p = recordOf<PropExport_Graph>(item);
    c += sink().text(130);
    append(bytes, control(item, kGraph, p.xOffset, p.yOffset, p.width, p.height)
                      .u8(0)
                      .u8(u8(p.sample_depth))
                      .u16(u16(p.sample_count)));
    return true;
}

std::uint8_t keyCode(IItemLite& item, const PropExport_Button& p) {
    switch (p.key_type) {
    case 0: {
        const Converted gbk = utf8ToGbk(p.key_code);
        if (!gbk.ok || gbk.bytes.size() > 1) {
            sink().error(item.messagePrefix() + sink().text(106, {item.name()}));
            return 0;
        }
        return gbk.bytes.empty() ? 0 : static_cast<std::uint8_t>(gbk.bytes[0]);
    }
    case 1:
        return 13;
    case 2:
        return 12;
    case 3:
        return 8;
    case 4:
        return 27;
    case 5:
        return 16;
    default:
        return 0;
    }
}

bool compileButton(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    (void)c;
    const auto& p = recordOf<PropExport_Button>(item);
    const std::string page = pageNameOf(item);
    const auto registered = CResourceStore::instance().identifiers().add(
        identifierName({"BTN", page, item.name()}), u16(p.id), sink().text(96, {item.name()}));
    if (registered == IdentifierMap::Result::Clash)
        sink().error(item.messagePrefix() + sink().text(97, {page, item.name()}));

    const OnScreen on = onScreen(p.xOffset, p.yOffset, p.width, p.height);
    if (!on.visible)
        return true;
    struct Face {
        std::uint16_t index = kNoPicture, x = 0, y = 0;
    };
    const auto face = [&](const std::string& url, std::int32_t cut, std::int32_t cx,
                          std::int32_t cy, const char* part, int comment) {
        Face f;
        if (url.empty())
            return f;
        if (cut != 0) {
            std::optional<StoredPicture> stored;
            if (compileGlobalPicture(url, &stored) && stored) {
                f.index = stored->index;
                f.x = u16(cx);
                f.y = u16(cy);
            } else {
                sink().info(url);
                sink().error(item.messagePrefix() + sink().text(86));
            }
            return f;
        }
        f.index = controlPicture(item, url, p.width, p.height, on, {"IMG", page, item.name(), part},
                                 comment)
                      .index;
        return f;
    };
    const Face down =
        face(p.url_down, p.cut_down, p.cut_down_offset_x, p.cut_down_offset_y, "DOWN", 116);
    const Face up = face(p.url_up, p.cut_up, p.cut_up_offset_x, p.cut_up_offset_y, "UP", 115);

    std::uint8_t action[5] = {u8(p.button_type), 0, 0, 0, 0};
    IScreenInfoStore* screens = GetScreenInfoStore();
    switch (p.button_type) {
    case 0: {
        std::uint16_t target = kNoId;
        if (p.switch_.empty()) {
            sink().error(item.messagePrefix() + sink().text(107, {item.name()}));
        } else {
            const IProject* project = currentProject();
            const IItemEditor* found = nullptr;
            if (project != nullptr)
                for (const auto& other : project->pages())
                    if (equalsNoCase(other->name(), p.switch_)) {
                        found = other.get();
                        break;
                    }
            if (found == nullptr)
                sink().error(item.messagePrefix() + sink().text(108, {item.name()}));
            else if (screens != nullptr)
                target = screens->GetScreenId(found->name());
        }
        action[1] = u8(target >> 8);
        action[2] = u8(target);
        break;
    }
    case 1: {
        std::vector<std::uint8_t> block;
        bool ok = dynamic_cast<const CItemButton&>(item).actionsValid();
        for (const auto& sub : dynamic_cast<const CItemButton&>(item).actions()) {
            const std::string kind = sub->kindName();
            if (kind == "ITEM" || kind == "UNKNOWNTYPE")
                continue;
            const CompileFunction* compile = ItemRegistry::instance().compiler(kind);
            std::string subText;
            std::vector<std::uint8_t> subBytes;
            if (compile == nullptr || !(*compile)(*sub, subText, subBytes)) {
                ok = false;
                continue;
            }
            block.insert(block.end(), subBytes.begin(), subBytes.end());
        }
        if (!ok)
            sink().error(item.messagePrefix() + sink().text(104, {item.name()}));
        std::uint16_t id = kNoId;
        if (!block.empty() && screens != nullptr)
            id = screens->AddCommandBlock(block.data(), block.size());
        action[1] = u8(id >> 8);
        action[2] = u8(id);
        action[3] = u8(p.init_state);
        action[4] = u8(p.button_style);
        break;
    }
    case 2:
        action[1] = keyCode(item, p);
        break;
    default:
        break;
    }
    FrameBuilder f = control(item, kButton, on.left, on.top, on.width, on.height);
    f.u16(down.index)
        .u16(down.x)
        .u16(down.y)
        .u16(up.index)
        .u16(up.x)
        .u16(up.y)
        .bytes(action, sizeof action)
        .u8(u8(p.focus));
    append(bytes, f);
    return true;
}

bool compileProgress(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    (void)c;
    const auto& p = recordOf<PropExport_Progress>(item);
    const OnScreen on = onScreen(p.xOffset, p.yOffset, p.width, p.height);
    const std::string page = pageNameOf(item);
    std::uint16_t background = kNoPicture, fore = kNoPicture;
    if (p.show_bkg_style == 2)
        background = controlPicture(item, p.bkg_image_path, p.width, p.height, on,
                                    {"IMG", page, item.name(), "BK"}, 118)
                         .index;
    if (p.show_fore_style == 1)
        fore = controlPicture(item, p.fore_image_path, p.width, p.height, on,
                              {"IMG", page, item.name(), "FORE"}, 119)
                   .index;
    append(bytes, control(item, kProgress, p.xOffset, p.yOffset, p.width, p.height)
                      .u8(u8(p.show_bkg_style))
                      .u16(colourToRgb565(p.bkg_color))
                      .u16(background)
                      .u8(u8(p.show_fore_style))
                      .u16(colourToRgb565(p.fore_color))
                      .u16(fore)
                      .u8(u8(p.progress_style))
                      .u32(u32(p.value))
                      .u32(u32(p.min_value))
                      .u32(u32(p.max_value)));
    return true;
}

bool compileAnimation(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    const auto& p = recordOf<PropExport_Animation>(item);
    const std::string page = pageNameOf(item);
    c += sink().text(122, {page, item.name()});
    const OnScreen on = onScreen(p.xOffset, p.yOffset, p.width, p.height);
    const ControlPicture pic =
        controlPicture(item, p.frame_list, p.width, p.height, on, {"IMG", page, item.name()}, 122);
    if (pic.failed)
        return false;
    append(bytes, control(item, kAnimation, p.xOffset, p.yOffset, p.width, p.height)
                      .u16(pic.index)
                      .u8(u8(p.auto_play))
                      .u16(u16(p.interval / 10))
                      .u8(u8(p.repeat_count)));
    return true;
}

bool compileRtc(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    const auto& p = recordOf<PropExport_RTC>(item);
    c += sink().text(111);
    const double halfHours = p.zone * 2;
    const std::int64_t zone =
        std::isfinite(halfHours) && std::fabs(halfHours) < 1e6 ? std::int64_t(halfHours) : 0;
    append(bytes, control(item, kRtc, p.xOffset, p.yOffset, p.width, p.height)
                      .u8(u8(zone))
                      .u8(u8(p.format))
                      .u8(u8(p.lang))
                      .u8(u8(p.font))
                      .u16(colourToRgb565(p.fore_color))
                      .u8(u8(p.input)));
    return true;
}

bool compileSlider(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    (void)c;
    const auto& p = recordOf<PropExport_Slider>(item);
    const std::string page = pageNameOf(item);
    const OnScreen on = onScreen(p.xOffset, p.yOffset, p.width, p.height);
    // A background that fails is reported; the slider is still sent.
    std::uint16_t background = kNoPicture, cursor = kNoPicture;
    if (p.bkg_type == 2) {
        background = controlPicture(item, p.bkg_image_path, p.width, p.height, on,
                                    {"IMG", page, item.name(), "BK"}, msg::SliderBackgroundComment)
                         .index;
    } else if (on.visible) {
        const auto drawn = compileDrawnPicture(
            p.width, p.height, [&](QPainter& painter) { drawSliderBackground(painter, p); },
            {"IMG", page, item.name(), "BK"},
            sink().text(msg::SliderBackgroundComment, {page, item.name()}), item.messagePrefix());
        if (drawn)
            background = *drawn;
    }
    if (!cursorFits(p)) {
        sink().error(item.messagePrefix() + sink().text(110));
    } else if (p.cursor_width == 0 || p.cursor_height == 0) {
        // No thumb to draw.
    } else if (!p.cursor_image_path.empty()) {
        const OnScreen whole{true, 0, 0, p.cursor_width, p.cursor_height, 0, 0};
        cursor = controlPicture(item, p.cursor_image_path, p.cursor_width, p.cursor_height, whole,
                                {"IMG", page, item.name(), "CURSOR"}, msg::SliderCursorComment)
                     .index;
    } else {
        const auto drawn = compileDrawnPicture(
            p.cursor_width, p.cursor_height,
            [&](QPainter& painter) { drawSliderCursor(painter, p); },
            {"IMG", page, item.name(), "CURSOR"},
            sink().text(msg::SliderCursorComment, {page, item.name()}), item.messagePrefix());
        if (drawn)
            cursor = *drawn;
    }
    append(bytes, control(item, kSlider, p.xOffset, p.yOffset, p.width, p.height)
                      .u32(u32(p.value))
                      .u32(u32(p.start_value))
                      .u32(u32(p.end_value))
                      .u8(u8(p.direction))
                      .u8(u8(p.cursor_type))
                      .u16(u16(p.left_space))
                      .u16(u16(p.right_space))
                      .u16(u16(p.cursor_offset))
                      .u16(background)
                      .u16(cursor));
    return true;
}

bool compileMeter(IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
    (void)c;
    const auto& p = recordOf<PropExport_Meter>(item);
    if (p.width == 0) {
        sink().error(item.messagePrefix() + sink().text(109));
        return false;
    }
    const std::string page = pageNameOf(item);
    QImage picture;
    if (p.show_bkg_style == 2 && !p.bkg_image_path.empty()) {
        const auto file = projectFile(p.bkg_image_path);
        if (file)
            picture.load(QString::fromStdString(*file));
        if (picture.isNull()) {
            sink().info(p.bkg_image_path);
            sink().error(item.messagePrefix() + sink().text(86));
        }
    }
    std::uint16_t dial = kNoPicture;
    if (p.width > 0 && p.height > 0) {
        std::optional<QFont> numbers;
        if (dialHasNumbers(p)) {
            ensureDrawing();
            QString error;
            numbers = dialNumberFont(p, &error);
            if (!numbers)
                sink().error(item.messagePrefix() +
                             sink().text(msg::FontLoadFailed, {error.toStdString()}));
        }
        const auto drawn = compileDrawnPicture(
            p.width, p.height, [&](QPainter& painter) { drawDial(painter, p, picture, numbers); },
            {"IMG", page, item.name()}, sink().text(120, {page, item.name()}),
            item.messagePrefix());
        if (drawn)
            dial = *drawn;
    }
    append(bytes, control(item, kMeter, p.xOffset, p.yOffset, p.width, p.height)
                      .u32(u32(p.value))
                      .u32(u32(p.start_value))
                      .u32(u32(p.end_value))
                      .u16(dial)
                      .u16(u16(p.angle_start))
                      .u16(u16(p.angle_end))
                      .u8(u8(p.clock_wise))
                      .u8(u8(p.pointer_type))
                      .u16(colourToRgb565(p.pointer_color))
                      .u16(colourToRgb565(p.pointer_center_color)));
    return true;
}

bool unknownKind(IItemLite&, std::string&, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    return false;
}

// Every compile function starts from empty bytes. An item with a frame the
// panel cannot read is refused: stored, it would hide everything after it.
// Items compiled inside another (a button's actions) keep their own count.
CompileFunction fresh(bool (*compile)(IItemLite&, std::string&, std::vector<std::uint8_t>&)) {
    return [compile](IItemLite& item, std::string& c, std::vector<std::uint8_t>& bytes) {
        bytes.clear();
        // Names of controls and pictures go into comments of the generated C.
        static const std::set<std::string> named{"IMAGE", "BUTTON", "TEXT_DISPLAY", "PROGRESS",
                                                 "METER", "SLIDER", "ANIMATION"};
        if (named.count(item.kindName()) != 0 && !fitsGeneratedC(item, item.name()))
            return false;
        const std::size_t outer = longestFrame;
        longestFrame = 0;
        bool ok = compile(item, c, bytes);
        if (longestFrame > kPanelFrameLimit) {
            sink().error(item.messagePrefix() +
                         sink().text(msg::FrameTooLong, {item.name(), std::int64_t(longestFrame),
                                                         std::int64_t(kPanelFrameLimit)}));
            bytes.clear();
            ok = false;
        }
        longestFrame = outer;
        return ok;
    };
}

} // namespace

OnScreen onScreen(int x, int y, int width, int height) {
    OnScreen on;
    const IProject* project = currentProject();
    const std::int64_t screenW = project != nullptr && project->screenWidth() > 0
                                     ? project->screenWidth()
                                     : std::int64_t(1) << 40;
    const std::int64_t screenH = project != nullptr && project->screenHeight() > 0
                                     ? project->screenHeight()
                                     : std::int64_t(1) << 40;
    const std::int64_t x0 = std::max<std::int64_t>(x, 0), y0 = std::max<std::int64_t>(y, 0);
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t(x) + width, screenW);
    const std::int64_t y1 = std::min<std::int64_t>(std::int64_t(y) + height, screenH);
    if (width <= 0 || height <= 0 || x1 <= x0 || y1 <= y0)
        return on;
    on.visible = true;
    on.left = int(x0);
    on.top = int(y0);
    on.width = int(x1 - x0);
    on.height = int(y1 - y0);
    on.cutLeft = int(x0 - x);
    on.cutTop = int(y0 - y);
    return on;
}

void resetCurveCounter() {
    curveCounter = 0;
}

CompileFunction itemCompiler(const std::string& kind) {
    using Fn = bool (*)(IItemLite&, std::string&, std::vector<std::uint8_t>&);
    static const std::pair<const char*, Fn> table[] = {{"LINE", compileLine},
                                                       {"CURVE", compileCurve},
                                                       {"RECTANGLE", compileRectangle},
                                                       {"ELLIPSE", compileEllipse},
                                                       {"CIRCLE", compileCircle},
                                                       {"TEXT", compileText},
                                                       {"IMAGE", compileImage},
                                                       {"BUTTON", compileButton},
                                                       {"TEXT_DISPLAY", compileTextDisplay},
                                                       {"PROGRESS", compileProgress},
                                                       {"METER", compileMeter},
                                                       {"SLIDER", compileSlider},
                                                       {"RTC", compileRtc},
                                                       {"ANIMATION", compileAnimation},
                                                       {"GRAPH", compileGraph}};
    for (const auto& [name, fn] : table)
        if (kind == name)
            return fresh(fn);
    return unknownKind;
}

} // namespace tft
