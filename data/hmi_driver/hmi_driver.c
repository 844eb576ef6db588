/*
 * Host driver for serial-command TFT panels: one function per panel command,
 * every byte written through SendChar (hmi_user_uart.c).
 */
#include "hmi_driver.h"

#include "hmi_user_uart.h"

#include <stddef.h>

static void begin(uint8_t command) {
    SendChar(0xEE);
    SendChar(command);
}

static void end(void) {
    SendChar(0xFF);
    SendChar(0xFC);
    SendChar(0xFF);
    SendChar(0xFF);
}

static void u8(uint8_t v) {
    SendChar(v);
}

static void u16(uint16_t v) {
    SendChar((uint8_t)(v >> 8));
    SendChar((uint8_t)(v & 0xFF));
}

static void u32(uint32_t v) {
    u16((uint16_t)(v >> 16));
    u16((uint16_t)(v & 0xFFFF));
}

static void four(uint8_t command, uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    begin(command);
    u16(a);
    u16(b);
    u16(c);
    u16(d);
    end();
}

static void three(uint8_t command, uint16_t a, uint16_t b, uint16_t c) {
    begin(command);
    u16(a);
    u16(b);
    u16(c);
    end();
}

/* Zero-terminated text; a line feed goes out as CR LF, the panel's line break. */
static void text(const char* str) {
    if (str == NULL)
        return;
    for (; *str != '\0'; ++str) {
        if (*str == '\n')
            SendChar('\r');
        SendChar((uint8_t)*str);
    }
}

static void control(uint8_t sub, uint16_t screen_id, uint16_t control_id) {
    begin(0xB1);
    u8(sub);
    u16(screen_id);
    u16(control_id);
}

static uint8_t bcd(uint8_t v) {
    return (uint8_t)(((v / 10) % 10) << 4 | (v % 10));
}

void SetFcolor(uint16_t color) {
    begin(0x41);
    u16(color);
    end();
}
void SetBcolor(uint16_t color) {
    begin(0x42);
    u16(color);
    end();
}
void SetColor(uint16_t fcolor, uint16_t bcolor) {
    begin(0x40);
    u16(fcolor);
    u16(bcolor);
    end();
}
void SetTextSpace(uint8_t char_gap, uint8_t line_gap) {
    begin(0x43);
    u8(char_gap);
    u8(line_gap);
    end();
}

void SetFont_Region(uint8_t enable, uint16_t width, uint16_t height) {
    begin(0x45);
    u8(enable);
    u16(width);
    u16(height);
    end();
}

void SetFilterColor(uint16_t low, uint16_t high) {
    begin(0x44);
    u16(low);
    u16(high);
    end();
}

void GUI_CleanScreen(void) {
    begin(0x01);
    end();
}
void GUI_Dot(uint16_t x, uint16_t y) {
    begin(0x50);
    u16(x);
    u16(y);
    end();
}
void GUI_Line(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1) {
    four(0x51, x0, y0, x1, y1);
}
void GUI_Circle(uint16_t x, uint16_t y, uint16_t r) {
    three(0x52, x, y, r);
}
void GUI_CircleFill(uint16_t x, uint16_t y, uint16_t r) {
    three(0x53, x, y, r);
}
void GUI_Rectangle(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1) {
    four(0x54, x0, y0, x1, y1);
}
void GUI_RectangleFill(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1) {
    four(0x55, x0, y0, x1, y1);
}
void GUI_Ellipse(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1) {
    four(0x56, x0, y0, x1, y1);
}
void GUI_EllipseFill(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1) {
    four(0x57, x0, y0, x1, y1);
}

void GUI_Arc(uint16_t x, uint16_t y, uint16_t r, uint16_t start_deg, uint16_t end_deg) {
    begin(0x67);
    u16(x);
    u16(y);
    u16(r);
    u16(start_deg);
    u16(end_deg);
    end();
}

void GUI_FloodFill(uint16_t x, uint16_t y, uint16_t color) {
    three(0x64, x, y, color);
}

void DisText(uint16_t x, uint16_t y, uint8_t back, uint8_t font, const char* str) {
    begin(0x20);
    u16(x);
    u16(y);
    u8(back);
    u8(font);
    text(str);
    end();
}

void SetCursor(uint8_t enable, uint16_t x, uint16_t y, uint8_t width, uint8_t height) {
    begin(0x21);
    u8(enable);
    u16(x);
    u16(y);
    u8(width);
    u8(height);
    end();
}

void DisFull_Image(uint16_t image_id, uint8_t masken) {
    begin(0x31);
    u16(image_id);
    u8(masken);
    end();
}

void DisArea_Image(uint16_t x, uint16_t y, uint16_t image_id, uint8_t masken) {
    begin(0x32);
    u16(x);
    u16(y);
    u16(image_id);
    u8(masken);
    end();
}

void DisCut_Image(uint16_t x, uint16_t y, uint16_t image_id, uint16_t image_x, uint16_t image_y,
                  uint16_t image_w, uint16_t image_h, uint8_t masken) {
    begin(0x33);
    u16(x);
    u16(y);
    u16(image_id);
    u16(image_x);
    u16(image_y);
    u16(image_w);
    u16(image_h);
    u8(masken);
    end();
}

void DisFlashImage(uint16_t x, uint16_t y, uint16_t image_id, uint8_t enable, uint8_t playnum) {
    begin(0x80);
    u16(x);
    u16(y);
    u16(image_id);
    u8(enable);
    u8(playnum);
    end();
}

void SetScreen(uint16_t screen_id) {
    begin(0xB1);
    u8(0x00);
    u16(screen_id);
    end();
}
void GetScreen(void) {
    begin(0xB1);
    u8(0x01);
    end();
}

void SetButtonValue(uint16_t screen_id, uint16_t control_id, uint8_t state) {
    control(0x10, screen_id, control_id);
    u8(state);
    end();
}

void SetTextValue(uint16_t screen_id, uint16_t control_id, const char* str) {
    control(0x10, screen_id, control_id);
    text(str);
    end();
}

static void value(uint16_t screen_id, uint16_t control_id, uint32_t v) {
    control(0x10, screen_id, control_id);
    u32(v);
    end();
}

void SetProgressValue(uint16_t screen_id, uint16_t control_id, uint32_t v) {
    value(screen_id, control_id, v);
}
void SetSliderValue(uint16_t screen_id, uint16_t control_id, uint32_t v) {
    value(screen_id, control_id, v);
}
void SetMeterValue(uint16_t screen_id, uint16_t control_id, uint32_t v) {
    value(screen_id, control_id, v);
}
void GetControlValue(uint16_t screen_id, uint16_t control_id) {
    control(0x11, screen_id, control_id);
    end();
}

void AnimationStart(uint16_t screen_id, uint16_t control_id) {
    control(0x20, screen_id, control_id);
    end();
}
void AnimationStop(uint16_t screen_id, uint16_t control_id) {
    control(0x21, screen_id, control_id);
    end();
}
void AnimationPause(uint16_t screen_id, uint16_t control_id) {
    control(0x22, screen_id, control_id);
    end();
}

void AnimationPlayFrame(uint16_t screen_id, uint16_t control_id, uint8_t frame_id) {
    control(0x23, screen_id, control_id);
    u8(frame_id);
    end();
}

void AnimationPlayPrev(uint16_t screen_id, uint16_t control_id) {
    control(0x24, screen_id, control_id);
    end();
}
void AnimationPlayNext(uint16_t screen_id, uint16_t control_id) {
    control(0x25, screen_id, control_id);
    end();
}

void GraphChannelAdd(uint16_t screen_id, uint16_t control_id, uint8_t channel, uint16_t color) {
    control(0x30, screen_id, control_id);
    u8(channel);
    u16(color);
    end();
}

void GraphChannelDel(uint16_t screen_id, uint16_t control_id, uint8_t channel) {
    control(0x31, screen_id, control_id);
    u8(channel);
    end();
}

void GraphChannelDataAdd(uint16_t screen_id, uint16_t control_id, uint8_t channel,
                         const uint8_t* data, uint16_t length) {
    uint16_t i;
    control(0x32, screen_id, control_id);
    u8(channel);
    u16(length);
    for (i = 0; data != NULL && i < length; ++i)
        u8(data[i]);
    end();
}

void GraphChannelDataClear(uint16_t screen_id, uint16_t control_id, uint8_t channel) {
    control(0x33, screen_id, control_id);
    u8(channel);
    end();
}

void GraphSetViewport(uint16_t screen_id, uint16_t control_id, int16_t x_offset, uint16_t x_mul,
                      int16_t y_offset, uint16_t y_mul) {
    control(0x34, screen_id, control_id);
    u16((uint16_t)x_offset);
    u16(x_mul);
    u16((uint16_t)y_offset);
    u16(y_mul);
    end();
}

void SetScreenUpdateEnable(uint8_t enable) {
    begin(0xB3);
    u8(enable);
    end();
}

void SetRTC(uint8_t second, uint8_t minute, uint8_t hour, uint8_t day, uint8_t week, uint8_t month,
            uint8_t year) {
    begin(0x81);
    u8(bcd(second));
    u8(bcd(minute));
    u8(bcd(hour));
    u8(bcd(day));
    u8(bcd(week));
    u8(bcd(month));
    u8(bcd(year));
    end();
}

void ReadRTC(void) {
    begin(0x82);
    end();
}

void DisplayRTC(uint8_t enable, uint8_t mode, uint8_t font, uint16_t color, uint16_t x,
                uint16_t y) {
    begin(0x85);
    u8(enable);
    u8(mode);
    u8(font);
    u16(color);
    u16(x);
    u16(y);
    end();
}

void SetBackLight(uint8_t light_level) {
    begin(0x60);
    u8(light_level);
    end();
}

void AutoDimBackLight(uint8_t enable, uint8_t bright_level, uint8_t dim_level, uint8_t timeout) {
    begin(0x77);
    u8(enable);
    u8(bright_level);
    u8(dim_level);
    u8(timeout);
    end();
}

void SetBuzzer(uint8_t time_10ms) {
    begin(0x61);
    u8(time_10ms);
    end();
}
void SetTouchScreen(uint8_t cmd) {
    begin(0x70);
    u8(cmd);
    end();
}
void CalibrateTouchPane(void) {
    begin(0x72);
    end();
}
void TestTouchPane(uint8_t enable) {
    begin(0x73);
    u8(enable);
    end();
}
void SetCommBps(uint8_t baud_index) {
    begin(0xA0);
    u8(baud_index);
    end();
}
void SetHandShake(void) {
    begin(0x04);
    end();
}
void ReadVersion(void) {
    begin(0xFE);
    end();
}
