#pragma once

#include <QImage>

class QScreen;

namespace brindle {

// What a screen shows now, as a picture. On X11 the server writes the pixels straight into memory
// shared with this process (MIT-SHM), which for a 4K screen saves a copy into a server pixmap, 33 MB
// through the socket and the toolkit's conversion; elsewhere, or when the server cannot share memory
// with us or uses an unusual pixel format, the toolkit grabs it.
class ScreenPicture {
public:
    // Format_RGB32 with every pixel opaque, carrying the screen's device pixel ratio; null when the
    // screen cannot be grabbed.
    [[nodiscard]] static QImage take(QScreen& screen);
};

} // namespace brindle
