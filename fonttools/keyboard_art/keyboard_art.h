// Draws the system keyboards' art from their key layout, so pictures and key
// rectangles can never disagree.
#pragma once

#include "fonttools/keyboard_pack.h"

#include <QImage>
#include <QString>

namespace tft::fonttools {

// The caption of a key code ("Enter", "Caps", "A", ...).
QString keyCaption(std::uint8_t code);
// Released (pressed = false) or pressed art of a keyboard.
QImage drawKeyboard(const KeyboardLayout& layout, bool pressed);

} // namespace tft::fonttools
