/*
 * Host driver for serial-command TFT panels. Each function sends one command
 * frame: 0xEE, the command byte, the parameters (multi-byte numbers
 * big-endian), then FF FC FF FF. Colours are RGB565 values; coordinates,
 * sizes and ids are 16-bit.
 */
#ifndef HMI_DRIVER_H
#define HMI_DRIVER_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Drawing settings. */
void SetFcolor(uint16_t color);
void SetBcolor(uint16_t color);
void SetColor(uint16_t fcolor, uint16_t bcolor);
void SetTextSpace(uint8_t char_gap, uint8_t line_gap);
void SetFont_Region(uint8_t enable, uint16_t width, uint16_t height);
void SetFilterColor(uint16_t low, uint16_t high);

/* Drawing. */
void GUI_CleanScreen(void);
void GUI_Dot(uint16_t x, uint16_t y);
void GUI_Line(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1);
void GUI_Circle(uint16_t x, uint16_t y, uint16_t r);
void GUI_CircleFill(uint16_t x, uint16_t y, uint16_t r);
void GUI_Rectangle(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1);
void GUI_RectangleFill(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1);
void GUI_Ellipse(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1);
void GUI_EllipseFill(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1);
void GUI_Arc(uint16_t x, uint16_t y, uint16_t r, uint16_t start_deg, uint16_t end_deg);
void GUI_FloodFill(uint16_t x, uint16_t y, uint16_t color);

/* Text: a zero-terminated string in the panel's code page; each line feed
 * is sent as the panel's line break CR LF. */
void DisText(uint16_t x, uint16_t y, uint8_t back, uint8_t font, const char* str);
void SetCursor(uint8_t enable, uint16_t x, uint16_t y, uint8_t width, uint8_t height);

/* Pictures stored on the panel, by index. */
void DisFull_Image(uint16_t image_id, uint8_t masken);
void DisArea_Image(uint16_t x, uint16_t y, uint16_t image_id, uint8_t masken);
void DisCut_Image(uint16_t x, uint16_t y, uint16_t image_id, uint16_t image_x, uint16_t image_y,
                  uint16_t image_w, uint16_t image_h, uint8_t masken);
void DisFlashImage(uint16_t x, uint16_t y, uint16_t image_id, uint8_t enable, uint8_t playnum);

/* Screens and controls. */
void SetScreen(uint16_t screen_id);
void GetScreen(void);
void SetButtonValue(uint16_t screen_id, uint16_t control_id, uint8_t state);
void SetTextValue(uint16_t screen_id, uint16_t control_id, const char* str);
void SetProgressValue(uint16_t screen_id, uint16_t control_id, uint32_t value);
void SetSliderValue(uint16_t screen_id, uint16_t control_id, uint32_t value);
void SetMeterValue(uint16_t screen_id, uint16_t control_id, uint32_t value);
void GetControlValue(uint16_t screen_id, uint16_t control_id);
void AnimationStart(uint16_t screen_id, uint16_t control_id);
void AnimationStop(uint16_t screen_id, uint16_t control_id);
void AnimationPause(uint16_t screen_id, uint16_t control_id);
void AnimationPlayFrame(uint16_t screen_id, uint16_t control_id, uint8_t frame_id);
void AnimationPlayPrev(uint16_t screen_id, uint16_t control_id);
void AnimationPlayNext(uint16_t screen_id, uint16_t control_id);
void GraphChannelAdd(uint16_t screen_id, uint16_t control_id, uint8_t channel, uint16_t color);
void GraphChannelDel(uint16_t screen_id, uint16_t control_id, uint8_t channel);
void GraphChannelDataAdd(uint16_t screen_id, uint16_t control_id, uint8_t channel,
                         const uint8_t* data, uint16_t length);
void GraphChannelDataClear(uint16_t screen_id, uint16_t control_id, uint8_t channel);
void GraphSetViewport(uint16_t screen_id, uint16_t control_id, int16_t x_offset, uint16_t x_mul,
                      int16_t y_offset, uint16_t y_mul);
void SetScreenUpdateEnable(uint8_t enable);

/* Clock (seven BCD bytes on the wire). */
void SetRTC(uint8_t second, uint8_t minute, uint8_t hour, uint8_t day, uint8_t week, uint8_t month,
            uint8_t year);
void ReadRTC(void);
void DisplayRTC(uint8_t enable, uint8_t mode, uint8_t font, uint16_t color, uint16_t x, uint16_t y);

/* Backlight, buzzer, touch and link. */
void SetBackLight(uint8_t light_level);
void AutoDimBackLight(uint8_t enable, uint8_t bright_level, uint8_t dim_level, uint8_t timeout);
void SetBuzzer(uint8_t time_10ms);
void SetTouchScreen(uint8_t cmd);
void CalibrateTouchPane(void);
void TestTouchPane(uint8_t enable);
void SetCommBps(uint8_t baud_index);
void SetHandShake(void);
void ReadVersion(void);

#ifdef __cplusplus
}
#endif

#endif
