// The system keyboard, buffer editing, key buttons, text focus and upload.
#include "screen_image.h"
#include "screens.h"

namespace coretest {
namespace {

using nimbrel::g_screens;

constexpr int kKeyboardWidth = 100;
constexpr int kKeyboardHeight = 50;
const Bytes kKeyCodes{'1', '2', '3', 13, 27, 8, 16, 'a', 'B', 12};

// A keyboard resource with keyboard 0 (and 1): keys of 10 x 10 in a row at y 20.
Bytes keyboardResource(std::uint16_t keyCount = 10) {
    Bytes r(1034, 0);
    const std::uint32_t offset = 1034;
    putLe32(r, 14, offset);
    putLe32(r, 22, offset);
    Bytes d(1298, 0);
    putLe16(d, 4, kKeyboardWidth);
    putLe16(d, 6, kKeyboardHeight);
    putLe16(d, 8, 0);
    putLe16(d, 10, 0);
    putLe16(d, 12, 100);
    putLe16(d, 14, 10);
    putLe16(d, 16, keyCount);
    for (std::size_t i = 0; i < kKeyCodes.size(); ++i) {
        d[18 + i] = kKeyCodes[i];
        putLe16(d, 274 + 8 * i, static_cast<std::uint16_t>(10 * i));
        putLe16(d, 276 + 8 * i, 20);
        putLe16(d, 278 + 8 * i, 10);
        putLe16(d, 280 + 8 * i, 10);
    }
    append(r, d);
    r.resize(r.size() + 4u * kKeyboardWidth * kKeyboardHeight, 0x11);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 256; ++i)
        sum += static_cast<std::uint32_t>(r[8 + 4 * i]) | (r[9 + 4 * i] << 8) |
               (r[10 + 4 * i] << 16) | (static_cast<std::uint32_t>(r[11 + 4 * i]) << 24);
    putLe32(r, 0, sum);
    return r;
}

class KeyboardTest : public CoreTest {
protected:
    void load(std::vector<Bytes> items, std::uint8_t notifyFlags = 0) {
        ScreenImage image;
        image.screens = {screenRecord(0, 0x0000, items)};
        image.blocks = {startBlock(0)};
        image.settings.touchReportMode = 4;
        image.settings.notifyFlags = notifyFlags;
        hw().screenInfo = image.build();
        hw().systemResource = keyboardResource();
        tft_reset();
        steps(1);
        idleTicks(6);
        clearLog();
    }
    void tap(int x, int y) {
        hw().touching = true;
        hw().touchX = static_cast<std::uint16_t>(x);
        hw().touchY = static_cast<std::uint16_t>(y);
        idleTicks(1);
        hw().touching = false;
        idleTicks(1);
    }
    // Keys of a keyboard placed at (kx, ky).
    void key(std::uint8_t code, int kx, int ky) {
        for (std::size_t i = 0; i < kKeyCodes.size(); ++i)
            if (kKeyCodes[i] == code) {
                tap(kx + 10 * static_cast<int>(i) + 5, ky + 25);
                return;
            }
        FAIL() << "no key " << int(code);
    }
    Bytes textValue(std::uint16_t id) {
        std::uint8_t v[255];
        std::size_t n = 0;
        EXPECT_TRUE(nimbrel::loadValue(0, id, v, sizeof v, &n, nullptr));
        return Bytes(v, v + n);
    }
    static Bytes textControl(std::uint16_t id, std::uint8_t inputMode, const std::string& text,
                             int y = 300) {
        Control c(id, nimbrel::kTypeText, 0, y, 100, 20);
        c.u8(13, 1)
            .u8(22, inputMode)
            .u8(23, 0)
            .u8(25, 20)
            .u8(26, static_cast<std::uint8_t>(text.size()));
        c.text(27, text);
        return c.frame();
    }
    static Bytes keyButton(std::uint16_t id, std::uint8_t code, int x) {
        Control c(id, nimbrel::kTypeButton, x, 400, 20, 20);
        c.u16(13, 0xFFFF).u16(19, 0xFFFF).u8(25, 2).u8(26, code);
        return c.frame();
    }
};

TEST_F(KeyboardTest, HostKeyboardEnterSendsTheBuffer) {
    load({});
    feed(frame({0x86, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10}));
    key('1', 0, 0);
    key('2', 0, 0);
    key('3', 0, 0);
    EXPECT_TRUE(hw().sent.empty());
    key(13, 0, 0);
    EXPECT_EQ(hw().sent, (Bytes{0xEE, 0x86, 0x01, 0x31, 0x32, 0x33, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_FALSE(nimbrel::keyboardIsOpen());
}

TEST_F(KeyboardTest, HostKeyboardEscapeSendsNoText) {
    load({});
    feed(frame({0x86, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10}));
    key('1', 0, 0);
    key(27, 0, 0);
    EXPECT_EQ(hw().sent, frame({0x86, 0x00}));
}

TEST_F(KeyboardTest, NumberedKeyboardIsCentredAndDrawn) {
    load({});
    feed(frame({0x86, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x10}));
    idleTicks(3);
    const auto calls = hw().calls("TFT_Draw_Keyboard");
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().args,
              (std::vector<long>{1034 + 1298, 100, 50, 350, 215, 0, 0, 100, 50}));
    key('1', 350, 215);
    idleTicks(1); // highlight drawn from the pressed bitmap while composed
    EXPECT_EQ(hw().sent, Bytes{});
}

TEST_F(KeyboardTest, BadChecksumShowsTheMessageAndStaysClosed) {
    load({});
    hw().systemResource[8] ^= 1;
    feed(frame({0x86, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10}));
    EXPECT_FALSE(nimbrel::keyboardIsOpen());
}

TEST_F(KeyboardTest, KeyboardOffsetOutsideTheResourceIsBad) {
    load({});
    Bytes r = keyboardResource();
    putLe32(r, 14, 0x7FFFFFF0);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 256; ++i)
        sum += static_cast<std::uint32_t>(r[8 + 4 * i]) | (r[9 + 4 * i] << 8) |
               (r[10 + 4 * i] << 16) | (static_cast<std::uint32_t>(r[11 + 4 * i]) << 24);
    putLe32(r, 0, sum);
    hw().systemResource = r;
    feed(frame({0x86, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10}));
    EXPECT_FALSE(nimbrel::keyboardIsOpen());
}

TEST_F(KeyboardTest, OversizedKeyCountIsClamped) {
    load({});
    Bytes r = keyboardResource(0xFFFF);
    hw().systemResource = r;
    feed(frame({0x86, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10}));
    EXPECT_TRUE(nimbrel::keyboardIsOpen());
    tap(700, 10); // misses every key
    key('1', 0, 0);
    key(13, 0, 0);
    EXPECT_EQ(hw().sent, frame({0x86, 0x01, '1'}));
}

TEST_F(KeyboardTest, BackspaceRemovesAWholeDoubleByteCharacter) {
    load({textControl(5, 1, "a\xD6\xD0"), textControl(6, 1,
                                                      "\xD6\xD0"
                                                      "a",
                                                      330)});
    tap(5, 305);
    ASSERT_TRUE(nimbrel::keyboardIsOpen());
    key(8, 5, 305);
    key(13, 5, 305);
    EXPECT_EQ(textValue(5), (Bytes{'a'}));
    // Edited through the keyboard: uploaded when the focus is left.
    EXPECT_EQ(hw().sent, frame({0xB1, 0x11, 0, 0, 0, 5, 0x11, 'a', 0}));
    tap(5, 335);
    key(8, 5, 335);
    key(13, 5, 335);
    EXPECT_EQ(textValue(6), (Bytes{0xD6, 0xD0}));
}

TEST_F(KeyboardTest, CapsSwapsTheCaseOfLetters) {
    load({textControl(5, 1, "")});
    tap(5, 305);
    key(16, 5, 305);
    key('a', 5, 305);
    key('B', 5, 305);
    key(16, 5, 305);
    key('a', 5, 305);
    key(13, 5, 305);
    EXPECT_EQ(textValue(5), (Bytes{'A', 'b', 'a'}));
}

TEST_F(KeyboardTest, KeyButtonEditingUploadsOnceOnEnter) {
    load({textControl(5, 2, "q"), keyButton(10, 'x', 0), keyButton(11, 13, 30),
          keyButton(12, 27, 60)});
    tap(5, 305); // focus
    EXPECT_FALSE(nimbrel::keyboardIsOpen());
    tap(5, 405);
    tap(5, 405);
    EXPECT_EQ(textValue(5), (Bytes{'q', 'x', 'x'}));
    EXPECT_TRUE(hw().sent.empty());
    tap(35, 405);
    EXPECT_EQ(hw().sent, frame({0xB1, 0x11, 0, 0, 0, 5, 0x11, 'q', 'x', 'x', 0}));
    clearLog();
    tap(35, 405); // no focus any more
    EXPECT_TRUE(hw().sent.empty());
}

TEST_F(KeyboardTest, EnterRightAfterFocusUploadsTheTextBeforeTheKeyNotification) {
    load({textControl(5, 2, "q"), keyButton(11, 13, 30)}, 0x01);
    tap(5, 305); // focus, nothing typed
    EXPECT_TRUE(hw().sent.empty());
    tap(35, 405);
    Bytes expected = frame({0xB1, 0x11, 0, 0, 0, 5, 0x11, 'q', 0});
    append(expected, frame({0xB1, 0x11, 0, 0, 0, 11, 0x10, 0x02, 13}));
    EXPECT_EQ(hw().sent, expected);
}

TEST_F(KeyboardTest, KeyButtonEditingSendsNothingOnEscape) {
    load({textControl(5, 2, "q"), keyButton(10, 'x', 0), keyButton(12, 27, 60)});
    tap(5, 305);
    tap(5, 405);
    tap(65, 405);
    tap(5, 405); // focus left: no more editing
    EXPECT_TRUE(hw().sent.empty());
    EXPECT_EQ(textValue(5), (Bytes{'q', 'x'}));
}

TEST_F(KeyboardTest, ClockIsSetFromFourteenDigits) {
    Control clock(7, nimbrel::kTypeClock, 0, 300, 100, 20);
    clock.u8(19, 1);
    load({clock.frame()});
    hw().rtc = {0x56, 0x34, 0x12, 0x28, 0x02, 0x11, 0x26};
    tap(5, 305);
    ASSERT_TRUE(nimbrel::keyboardIsOpen());
    key('3', 5, 305); // the buffer is full: ignored
    key(8, 5, 305);
    key('1', 5, 305);
    key(13, 5, 305);
    EXPECT_EQ(hw().rtc, (std::array<std::uint8_t, 7>{0x51, 0x34, 0x12, 0x28, 0x00, 0x11, 0x26}));
}

TEST_F(KeyboardTest, ShortClockTextLeavesTheClock) {
    Control clock(7, nimbrel::kTypeClock, 0, 300, 100, 20);
    clock.u8(19, 1);
    load({clock.frame()});
    hw().rtc = {0x56, 0x34, 0x12, 0x28, 0x02, 0x11, 0x26};
    tap(5, 305);
    key(8, 5, 305);
    key(13, 5, 305);
    EXPECT_EQ(hw().rtc, (std::array<std::uint8_t, 7>{0x56, 0x34, 0x12, 0x28, 0x02, 0x11, 0x26}));
    EXPECT_EQ(hw().count("SetRTC"), 0u);
}

} // namespace
} // namespace coretest
