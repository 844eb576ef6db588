// The hardware layer the core calls: display layers, drawing, touch, clock,
// buzzer, host line and the compiled project files. Any library that defines
// these C functions by name serves; all calls come from the core thread.
//
// Colours are RGB565, coordinates count from the top left. Layers 0-7: 0 and 1
// display buffers, 2 rendered screen, 3 cached picture, 4-7 user layers.
// The core clips every pixel and line it passes to 0-799 x 0-599; pictures,
// keyboard regions and pixel reads may still name positions outside the layer
// and must be clipped (or read as 0) by the layer itself.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

void LCD_MODULE_Init(void);
void LCD_TurnOff(void);
void LCD_TurnOn(void);
void SetBackLightLevel(int level);

// Selects the layer later drawing goes to; returns the previous write layer.
int SelWriteLayer(int layer);
int GetWriteLayer(void);
void SelDispLayer(int layer);
// Whole-layer copy; with transparent set, black source pixels are skipped.
void CopyLayer(int source, int destination, int transparent, int flag);

void GUI_ClearSCR(uint16_t colour);
void GUI_Point(int x, int y, uint16_t colour);
void GUI_ReadPoint(int x, int y, uint16_t* colour);
void setPenColor(uint16_t colour);
void setPixel(int x, int y);
// Both ends inclusive.
void setHLine(int x0, int y, int x1);
void setVLine(int x, int y0, int y1);
// Presents the composed frame; called once per composition.
void GUI_Win32Update(void);

// Reads bytes of the compiled screen image, the keyboard resource, the font
// table (8-byte entries) and the glyph data; each returns non-zero on success.
int ReadScreenInfo(uint32_t offset, uint8_t* buffer, uint32_t length);
int ReadSystemResource(uint32_t offset, uint8_t* buffer, uint32_t length);
int ReadFontIndex(uint32_t offset, uint8_t* buffer, uint32_t length);
int ReadFont(uint32_t address, uint8_t* buffer, uint32_t length);

// Draws a stored picture whole (whole = 1) or a cut of it (whole = 0); masked
// skips pixels whose colour lies between the key colours.
void TFT_Draw_PIC_XY(uint16_t picture, int whole, int x, int y, int sourceX, int sourceY, int width,
                     int height, int masked, uint16_t keyLow, uint16_t keyHigh, int frame,
                     int alternateSource);
// Fills the 16-byte index record of a picture: bytes 0-1 picture number, 7-8
// width, 9-10 height, 14 frame interval in ticks, 15 frame count. Non-zero on
// success.
int TFT_GetImageIndex(uint16_t picture, int which, uint8_t* record);
void TFT_Draw_Keyboard(uint32_t resourceOffset, int imageWidth, int imageHeight, int x, int y,
                       int sourceX, int sourceY, int width, int height);

// Bytes to the host, in order.
void send_data(const uint8_t* buffer, uint32_t length);
void CMD_UART_Init(uint32_t bitsPerSecond);

// Non-zero while touched.
int touch_is_pressing(void);
void get_coordinate(uint16_t* x, uint16_t* y);
// Returns when touch calibration is done.
void Calibration_Panle(void);
// Sounds the buzzer for duration x 10 ms and returns at once.
void Beepon(int duration);

// Seven BCD bytes: second, minute, hour, day, weekday, month, two-digit year.
void GetRTC(uint8_t* clock);
void SetRTC(const uint8_t* clock);
int EnableRTC(void);
int BusNoBusy(void);

#ifdef __cplusplus
}
#endif
