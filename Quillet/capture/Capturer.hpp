#pragma once

#include "Quillet/capture/CapturedImage.hpp"
#include "Quillet/capture/ScreenCaptureTool.hpp"
#include "Quillet/common/Outcome.hpp"
#include "Quillet/common/WindowsHiddenForGrab.hpp"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace quillet {

// Takes one still with the capture tool: the whole screen under the pointer, or an area or window the
// user picks. Main thread only; one capture at a time.
class Capturer : public QObject {
    Q_OBJECT

public:
    enum class Mode { screen, interactive };
    // What a capture came to: the still; nothing, when the user cancelled or another capture was
    // running; or the failure with its reason, a sentence fit for the log, which nobody has logged yet.
    using Result = Outcome<std::optional<CapturedImage>>;
    // Runs on the main thread with the result. Not run once the capturer is gone.
    using Completion = std::function<void(Result)>;

    explicit Capturer(ScreenCaptureTool tool = ScreenCaptureTool(), QObject* parent = nullptr);
    // Stops a tool still running and removes its file.
    ~Capturer() override;

    // A request made while a capture runs gets nothing at once. The tool's file is read off the main
    // thread and removed on every path.
    virtual void capture(Mode mode, Completion completion);
    [[nodiscard]] virtual bool isRunning() const { return isRunning_; }

    // Reads a PNG written by the tool (its command-line format): the bitmap as premultiplied RGBA and the
    // scale from its resolution (dots per inch ÷ 72, rounded, at least 1). Nothing when it cannot be decoded.
    [[nodiscard]] static std::optional<CapturedImage> load(const QString& path);
    // Reads the tool's uncompressed file (core/RawBitmapFile.hpp): its pixels as premultiplied ARGB
    // words and the scale from its resolution. Nothing when the tool wrote nothing; nothing, and the
    // reason logged, when it wrote something else. No more memory than the file's own size is ever
    // asked for.
    [[nodiscard]] static std::optional<CapturedImage> loadRaw(const QString& path);
    // As loadRaw, with the reason as the failure instead of in the log: nothing only when the tool
    // wrote nothing.
    [[nodiscard]] static Result readRaw(const QString& path);
    // Pixels per point of an image whose horizontal resolution is `dotsPerMeter`.
    [[nodiscard]] static double scaleFor(int dotsPerMeter);

private:
    void finish(const Completion& completion, Result result);
    void loadInBackground(const QString& path, Completion completion);

    ScreenCaptureTool tool_;
    bool isRunning_ = false;
    QString toolOutput_; // the file the running tool writes, until loading takes it over
    std::unique_ptr<WindowsHiddenForGrab> hiddenWindows_;
};

} // namespace quillet
