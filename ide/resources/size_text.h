// Sizes and shares as the resource pane and the image library print them.
#pragma once

#include <QString>
#include <QtGlobal>

namespace tft::ide {

// The pane prints megabytes with four decimals, the library with two.
enum class SizeStyle { ResourcePane, Library };

// "%d bytes" below 1 KiB, "%.2f KB" below 1 MiB, then "%.4f MB" / "%.2f MB".
QString sizeText(qint64 bytes, SizeStyle style);

// The panel's 16 MiB resource flash that utilisation figures refer to.
constexpr qint64 kUtilisationBase = qint64(1) << 24;

// Share of 16 MiB in percent, "%.3f".
QString utilisationText(qint64 bytes);
// Share of a group's total in percent, "%.3f"; "0.000" for an empty group.
QString shareText(qint64 bytes, qint64 total);

} // namespace tft::ide
