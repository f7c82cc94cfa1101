#pragma once
// The picture formats the program reads (the image reader's, PNG first) as the file patterns
// and filters of the dialogs that choose a picture, so that no readable picture is hidden.
#include <QString>

namespace core {

// "*.png;*.jpg;*.jpeg;*.gif;*.bmp;..." : PNG, JPEG, GIF and BMP first, then every other format
// the image reader reads, in its order.
QString picturePatterns();

// One dialog filter entry for them: "<description> (<patterns>)|<patterns>".
QString pictureFilter(const QString &description);

} // namespace core
