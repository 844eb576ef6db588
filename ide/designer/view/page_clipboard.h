// Shapes on the system clipboard: the page file's item form (a `DrawPage`
// element holding `item` elements), under its own type and as plain text, so
// shapes travel between pages, projects and running IDEs.
#pragma once

#include <QString>
#include <string>

class QMimeData;

namespace tft::ide::view {

// The clipboard type of the item form.
inline const QString kItemsMimeType = QStringLiteral("application/x-orvane-items");

// Clipboard data for an item-form text.
QMimeData* itemsMimeData(const std::string& items);
// The item form held by clipboard data, or empty when it holds none: our own
// type first, else plain text whose root element is `DrawPage`.
std::string itemsFromMimeData(const QMimeData* data);

} // namespace tft::ide::view
