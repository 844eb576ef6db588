// The system keyboard, text editing, text focus and the cursor.
#include "control_layout.h"
#include "core/hardware.h"
#include "core_state.h"
#include "draw.h"
#include "screens.h"
#include "text.h"

#include <cstring>

namespace nimbrel {
namespace {

constexpr std::uint32_t kResourceHeaderSize = 1034;
constexpr std::uint32_t kChecksumFrom = 8;
constexpr std::uint32_t kChecksumWords = 256;
constexpr std::uint32_t kKeyboardTable = 14;
constexpr std::uint32_t kKeyboardEntry = 8;
constexpr std::uint32_t kDescriptorSize = 1298;
constexpr std::uint32_t kDescriptorCodes = 18;
constexpr std::uint32_t kDescriptorRects = 274;
// The rectangle table holds this many keys; a larger count is clamped.
constexpr std::size_t kMaxKeys = (kDescriptorSize - kDescriptorRects) / 8;
static_assert(kDescriptorCodes + kMaxKeys <= kDescriptorRects, "key codes overlap rectangles");
constexpr std::uint8_t kNoKey = 255;
constexpr std::uint8_t kKeyBackspace = 8;
constexpr std::uint8_t kKeyClear = 12;
constexpr std::uint8_t kKeyEnter = 13;
constexpr std::uint8_t kKeyEscape = 27;
constexpr std::uint8_t kKeyCaps = 16;
constexpr std::uint8_t kKeyboardFont = 6;
constexpr std::uint32_t kCursorDirtyTicks = 80;
constexpr std::uint32_t kCursorBlinkTicks = 50;
constexpr std::size_t kClockDigits = 14;

struct KeyRect {
    int x, y, w, h;
};

struct Keyboard {
    bool open;
    std::uint8_t number;
    int x, y;
    bool password;
    bool caps;
    std::uint8_t highlight;
    std::size_t maxLength;
    std::uint8_t buffer[kMaxTextLength];
    std::size_t length;
    // The loaded descriptor.
    std::uint32_t offset;
    int width, height;
    KeyRect textArea;
    std::size_t keyCount;
    std::uint8_t codes[kMaxKeys];
    KeyRect keys[kMaxKeys];
};

struct Focus {
    std::uint16_t screen;
    std::uint16_t control;
    bool edited;
};

struct Cursor {
    bool visible;
    bool blink;
    int x, y, w, h;
    std::uint32_t count;
    std::uint32_t lastStep;
};

Keyboard g_keyboard;
Focus g_focus{kNone, kNone, false};
Cursor g_cursor;

void cursorTick(std::uint32_t) {
    if (g_cursor.visible)
        markDirty();
}

void showCursor(int x, int y, int w, int h, bool blink) {
    g_cursor.visible = true;
    g_cursor.blink = blink;
    g_cursor.x = x;
    g_cursor.y = y;
    g_cursor.w = w;
    g_cursor.h = h;
    timerInstall(kSlotCursor, kCursorDirtyTicks, cursorTick);
    markDirty();
}

void badResource() {
    keyboardClose();
    const char* text =
        "\xBC\xD3\xD4\xD8\xCF\xB5\xCD\xB3\xD7\xCA\xD4\xB4\xCA\xA7\xB0\xDC\xA3\xAC\xC7"
        "\xEB\xD6\xD8\xD0\xC2\xCF\xC2\xD4\xD8\x2E";
    TextStyle style{};
    style.colour = kRed;
    style.boxWidth = kDrawWidth;
    style.boxHeight = kDrawHeight;
    const int previous = SelWriteLayer(g_core.userLayer);
    drawText(5, reinterpret_cast<const std::uint8_t*>(text), std::strlen(text), 300, 300, style);
    SelWriteLayer(previous);
    markDirty();
}

bool loadDescriptor(std::uint8_t number) {
    static std::uint8_t header[kResourceHeaderSize];
    if (!ReadSystemResource(0, header, kResourceHeaderSize))
        return false;
    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i < kChecksumWords; ++i)
        sum += le32(header + kChecksumFrom + 4 * i);
    if (sum != le32(header))
        return false;
    const std::uint32_t entry = kKeyboardTable + kKeyboardEntry * number;
    if (entry + 4 > kResourceHeaderSize)
        return false;
    const std::uint32_t offset = le32(header + entry);
    std::uint8_t d[kDescriptorSize];
    if (offset == 0 || !ReadSystemResource(offset, d, kDescriptorSize))
        return false;
    Keyboard& k = g_keyboard;
    k.offset = offset;
    k.width = le16(d + 4);
    k.height = le16(d + 6);
    k.textArea = KeyRect{le16(d + 8), le16(d + 10), le16(d + 12), le16(d + 14)};
    k.keyCount = le16(d + 16);
    if (k.keyCount > kMaxKeys)
        k.keyCount = kMaxKeys;
    for (std::size_t i = 0; i < k.keyCount; ++i) {
        k.codes[i] = d[kDescriptorCodes + i];
        const std::uint8_t* r = d + kDescriptorRects + 8 * i;
        k.keys[i] = KeyRect{le16(r), le16(r + 2), le16(r + 4), le16(r + 6)};
    }
    // Both bitmaps must lie inside the resource.
    const std::uint64_t end = static_cast<std::uint64_t>(offset) + kDescriptorSize +
                              4ull * static_cast<std::uint64_t>(k.width) * k.height;
    std::uint8_t probe[2];
    if (k.width == 0 || k.height == 0 || end > 0xFFFFFFFFull ||
        !ReadSystemResource(static_cast<std::uint32_t>(end - 2), probe, 2))
        return false;
    return true;
}

bool openKeyboard(std::uint8_t number, int x, int y, bool password) {
    if (!loadDescriptor(number)) {
        badResource();
        return false;
    }
    Keyboard& k = g_keyboard;
    const int pw = panelWidth(), ph = panelHeight();
    if (number != 0) {
        k.x = (pw - k.width) / 2;
        k.y = (ph - k.height) / 2;
    } else {
        k.x = x + k.width > pw ? pw - k.width : x;
        k.y = y + k.height > ph ? ph - k.height : y;
    }
    k.x = k.x < 0 ? 0 : k.x;
    k.y = k.y < 0 ? 0 : k.y;
    k.number = number;
    k.password = password;
    k.highlight = kNoKey;
    k.open = true;
    showCursor(0, 0, 1, 1, true);
    return true;
}

// Start offsets of characters: a byte with the high bit set opens a
// double-byte character.
std::size_t lastCharacterStart(const std::uint8_t* buffer, std::size_t length) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < length;) {
        start = i;
        i += (buffer[i] & 0x80) && i + 1 < length ? 2 : 1;
    }
    return start;
}

void editBuffer(std::uint8_t* buffer, std::size_t& length, std::size_t maximum, std::uint8_t code) {
    if (code == kKeyBackspace) {
        if (length > 0)
            length = lastCharacterStart(buffer, length);
    } else if (code == kKeyClear) {
        length = 0;
    } else if (code >= 30 && code <= 127) {
        if (g_keyboard.caps && ((code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z')))
            code ^= 0x20;
        if (length < kMaxTextLength && length < maximum)
            buffer[length++] = code;
    }
}

void placeTextCursor(std::uint16_t screen, std::uint16_t control) {
    std::uint8_t frame[kScanFrameCapacity];
    std::size_t length = 0;
    if (!findDefinition(screen, control, frame, &length))
        return;
    const Definition def = definitionOf(frame, length);
    if (def.type() != kTypeText)
        return;
    std::uint8_t text[kMaxTextLength];
    const std::size_t n = currentValue(def, screen, text, sizeof text);
    TextExtent e{};
    if (!measureText(def.u8(textField::kFont), text, n, def.width(), def.height(), 0, 0, &e))
        return;
    showCursor(def.x() + e.lastLineWidth, def.y() + e.lastLineTop, 1, e.height,
               def.u8(textField::kInputMode) == textField::kCursorInput);
}

void setClockFromDigits() {
    const Keyboard& k = g_keyboard;
    if (k.length < kClockDigits)
        return;
    for (std::size_t i = 0; i < kClockDigits; ++i)
        if (k.buffer[i] < '0' || k.buffer[i] > '9')
            return; // not a time: leave the clock alone
    auto pair = [&](std::size_t first) {
        return static_cast<std::uint8_t>(((k.buffer[first] - '0') << 4) |
                                         (k.buffer[first + 1] - '0'));
    };
    const std::uint8_t clock[7] = {pair(12), pair(10), pair(8), pair(6), 0, pair(4), pair(2)};
    SetRTC(clock);
}

void focusedType(std::uint8_t* type) {
    *type = 0;
    std::uint8_t frame[kScanFrameCapacity];
    std::size_t length = 0;
    if (g_focus.control != kNone && findDefinition(g_focus.screen, g_focus.control, frame, &length))
        *type = definitionOf(frame, length).type();
}

void moveFocus(std::uint16_t screen, std::uint16_t control) {
    if (screen == g_focus.screen && control == g_focus.control)
        return;
    if (g_focus.control != kNone && g_focus.edited) {
        std::uint8_t text[kMaxTextLength];
        std::size_t n = 0;
        std::uint8_t type = 0;
        if (loadValue(g_focus.screen, g_focus.control, text, sizeof text, &n, &type) &&
            type == kTypeText)
            sendControlValue(g_focus.screen, g_focus.control, kTypeText, text, n);
        g_focus.edited = false;
    }
    g_focus.screen = screen;
    g_focus.control = control;
}

void keyWithKeyboardOpen(std::uint8_t code) {
    Keyboard& k = g_keyboard;
    if (code == kKeyCaps) {
        k.caps = !k.caps;
        markRender();
        return;
    }
    editBuffer(k.buffer, k.length, k.maxLength, code);
    markDirty();
    if (code != kKeyEnter && code != kKeyEscape)
        return;
    std::uint8_t type = 0;
    focusedType(&type);
    if (type == kTypeText) {
        if (code == kKeyEnter && storeValue(g_focus.screen, g_focus.control, k.buffer, k.length))
            g_focus.edited = true;
    } else if (type == kTypeClock) {
        if (code == kKeyEnter)
            setClockFromDigits();
    } else if (g_focus.control == kNone) {
        std::uint8_t body[2 + kMaxTextLength] = {0x86, 0x00};
        std::size_t n = 2;
        if (code == kKeyEnter) {
            body[1] = 0x01;
            std::memcpy(body + 2, k.buffer, k.length);
            n += k.length;
        }
        sendFrame(body, n);
    }
    keyboardClose();
    moveFocus(kNone, kNone);
    hideCursor();
    markRender();
}

} // namespace

void keyboardReset() {
    keyboardClose();
    g_keyboard = Keyboard{};
    g_keyboard.highlight = kNoKey;
    g_focus = Focus{kNone, kNone, false};
    hideCursor();
}

bool keyboardIsOpen() {
    return g_keyboard.open;
}

bool capsOn() {
    return g_keyboard.caps;
}

void keyboardClose() {
    if (g_keyboard.open)
        markDirty();
    g_keyboard.open = false;
    g_keyboard.highlight = kNoKey;
}

void hideCursor() {
    if (g_cursor.visible)
        markDirty();
    g_cursor = Cursor{};
    timerClear(kSlotCursor);
}

void keyboardPress(int x, int y) {
    Keyboard& k = g_keyboard;
    for (std::size_t i = 0; i < k.keyCount; ++i) {
        const KeyRect& r = k.keys[i];
        const int kx = k.x + r.x, ky = k.y + r.y;
        if (x >= kx && x < kx + r.w && y >= ky && y < ky + r.h) {
            k.highlight = static_cast<std::uint8_t>(i);
            if (g_core.beepMode == 1 || g_core.beepMode == 2)
                Beepon(10);
            markDirty();
            keyWithKeyboardOpen(k.codes[i]);
            return;
        }
    }
    if (g_core.beepMode == 1)
        Beepon(10);
}

void keyboardRelease() {
    g_keyboard.highlight = kNoKey;
    markDirty();
}

void keyFromButton(std::uint8_t code) {
    if (g_keyboard.open) {
        keyWithKeyboardOpen(code);
        return;
    }
    if (code == kKeyCaps) {
        g_keyboard.caps = !g_keyboard.caps;
        markRender();
        return;
    }
    if (g_focus.control == kNone)
        return;
    std::uint8_t frame[kScanFrameCapacity];
    std::size_t length = 0;
    if (!findDefinition(g_focus.screen, g_focus.control, frame, &length))
        return;
    const Definition def = definitionOf(frame, length);
    if (def.type() != kTypeText || def.u8(textField::kInputMode) == 0)
        return;
    // Any key marks the text as edited, so that Enter uploads it even when
    // nothing was typed since the focus; Esc then discards the upload.
    g_focus.edited = code != kKeyEscape;
    if (code == kKeyEnter || code == kKeyEscape) {
        moveFocus(kNone, kNone);
        hideCursor();
        return;
    }
    std::uint8_t text[kMaxTextLength];
    std::size_t n = currentValue(def, g_focus.screen, text, sizeof text);
    editBuffer(text, n, def.u8(textField::kMaxLength), code);
    storeValue(g_focus.screen, g_focus.control, text, n);
    markRender();
    placeTextCursor(g_focus.screen, g_focus.control);
}

void openKeyboardForText(const Definition& def, int x, int y) {
    focusText(g_screens.current, def.id());
    Keyboard& k = g_keyboard;
    k.length = currentValue(def, g_screens.current, k.buffer, sizeof k.buffer);
    k.maxLength = def.u8(textField::kMaxLength);
    openKeyboard(def.u8(textField::kKeyboard), x, y, def.u8(textField::kPassword) != 0);
}

void openKeyboardForClock(const Definition& def, int x, int y) {
    moveFocus(g_screens.current, def.id());
    std::uint8_t clock[7] = {};
    GetRTC(clock);
    Keyboard& k = g_keyboard;
    // 20YYMMDDhhmmss from the BCD bytes.
    const std::uint8_t order[] = {6, 5, 3, 2, 1, 0};
    k.buffer[0] = '2';
    k.buffer[1] = '0';
    for (std::size_t i = 0; i < 6; ++i) {
        k.buffer[2 + 2 * i] = static_cast<std::uint8_t>('0' + ((clock[order[i]] >> 4) % 10));
        k.buffer[3 + 2 * i] = static_cast<std::uint8_t>('0' + ((clock[order[i]] & 0xF) % 10));
    }
    k.length = kClockDigits;
    k.maxLength = kClockDigits;
    openKeyboard(0, x, y, false);
}

void focusText(std::uint16_t screen, std::uint16_t control) {
    moveFocus(screen, control);
    placeTextCursor(screen, control);
}

void leaveFocus() {
    moveFocus(kNone, kNone);
}

void textValueChanged(std::uint16_t screen, std::uint16_t control) {
    if (screen == g_focus.screen && control == g_focus.control && g_cursor.visible)
        placeTextCursor(screen, control);
}

// Hooks of the command set.

void keyboardSetCursor(bool enable, std::uint16_t x, std::uint16_t y, std::uint8_t width,
                       std::uint8_t height) {
    if (enable)
        showCursor(x, y, width, height, true);
    else
        hideCursor();
}

void keyboardOpenFromHost(std::uint8_t open, std::uint16_t x, std::uint16_t y,
                          std::uint8_t keyboard, std::uint8_t password, std::uint8_t maxLength) {
    if (!open) {
        keyboardClose();
        hideCursor();
        return;
    }
    moveFocus(kNone, kNone);
    g_keyboard.length = 0;
    g_keyboard.maxLength = maxLength;
    openKeyboard(keyboard, x, y, password != 0);
}

void keyboardDrawOverlay() {
    const Keyboard& k = g_keyboard;
    if (!k.open)
        return;
    const std::uint32_t released = k.offset + kDescriptorSize;
    const std::uint32_t pressed =
        released + 2u * static_cast<std::uint32_t>(k.width) * static_cast<std::uint32_t>(k.height);
    TFT_Draw_Keyboard(released, k.width, k.height, k.x, k.y, 0, 0, k.width, k.height);
    std::uint8_t text[kMaxTextLength];
    for (std::size_t i = 0; i < k.length; ++i)
        text[i] = k.password ? '*' : k.buffer[i];
    TextStyle style{};
    style.colour = 0;
    style.wrap = true;
    style.boxWidth = k.textArea.w;
    style.boxHeight = k.textArea.h;
    const int tx = k.x + k.textArea.x, ty = k.y + k.textArea.y;
    drawText(kKeyboardFont, text, k.length, tx, ty, style);
    TextExtent e{};
    if (measureText(kKeyboardFont, text, k.length, k.textArea.w, k.textArea.h, 0, 0, &e)) {
        g_cursor.x = tx + e.lastLineWidth;
        g_cursor.y = ty + e.lastLineTop;
        g_cursor.w = 1;
        g_cursor.h = e.height;
    }
    for (std::size_t i = 0; i < k.keyCount; ++i) {
        if (i != k.highlight && !(k.caps && k.codes[i] == kKeyCaps))
            continue;
        const KeyRect& r = k.keys[i];
        TFT_Draw_Keyboard(pressed, k.width, k.height, k.x + r.x, k.y + r.y, r.x, r.y, r.w, r.h);
        invertFrame(k.x + r.x - 2, k.y + r.y - 2, k.x + r.x + r.w + 1, k.y + r.y + r.h + 1, 1, 2);
    }
}

void cursorDrawOverlay() {
    Cursor& c = g_cursor;
    if (!c.visible)
        return;
    if (c.blink) {
        if (g_core.tick - c.lastStep > kCursorBlinkTicks) {
            c.lastStep = g_core.tick;
            ++c.count;
        }
        if (!(c.count & 1))
            return;
    }
    invertRectangle(c.x, c.y, c.w, c.h);
}

} // namespace nimbrel
