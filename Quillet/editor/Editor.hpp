#pragma once

#include <QImage>
#include <QUrl>

#include <functional>

namespace quillet {

// What the application state needs of the annotation editor.
class Editor {
public:
    using SaveCallback = std::function<void(const QImage& saved)>;
    virtual ~Editor() = default;

    // Opens an editor window on the still at `url`; `onSave` gets a reduced copy of each saved image.
    virtual void open(const QUrl& url, double scale, SaveCallback onSave) = 0;
};

} // namespace quillet
