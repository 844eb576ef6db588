// The picture drop for a page view inside its frame (see picture_drop.h).
#pragma once

#include "page_frame.h"
#include "picture_drop.h"

namespace tft::ide {

inline basic_shape::CShape* dropPicture(ProjectWorkspace& project, CPageFrame& frame, QPoint at,
                                        const QString& picture, QString* error = nullptr) {
    return dropPicture(project, frame.document(), at, picture, error);
}

} // namespace tft::ide
