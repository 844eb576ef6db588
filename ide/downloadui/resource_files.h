// The compiled files of a resource folder, found by their extensions.
#pragma once

#include "download_worker.h"

#include <QString>

namespace tft::ide {

// Lists `folder` (not its subfolders) and assigns each file by its
// lower-cased extension: .graidx image index, .gra/.gwb image data, .pwi
// voice index, .pwav voice data, .si screens, .fbin font data, .fidx font
// index, .sbin keyboard. Files are taken in name order and the first match
// of a kind wins, so every machine picks the same file. The Modbus map is
// not part of a folder and stays empty.
DownloadFiles collectResourceFiles(const QString& folder);

} // namespace tft::ide
