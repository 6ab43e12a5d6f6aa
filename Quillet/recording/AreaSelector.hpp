#pragma once

#include "Quillet/recording/Recorder.hpp"
#include "core/Geometry.hpp"

#include <QString>

#include <functional>
#include <variant>

namespace quillet {

// What the application state needs of the area selector that starts a recording.
class AreaSelector {
public:
    struct Record {
        Rect rect; // program coordinates
        Recorder::Options options;
    };
    // The user turned the microphone on while audio access was not yet decided.
    struct NeedsMicrophonePermission {
        Recorder::Options options;
    };
    struct Cancelled {};
    // Nothing can be recorded here: the desktop refused the screen (the log line says why).
    struct Unavailable {
        QString reason;
    };
    using Result = std::variant<Record, NeedsMicrophonePermission, Cancelled, Unavailable>;
    using Completion = std::function<void(const Result&)>;

    virtual ~AreaSelector() = default;

    virtual void begin(const Recorder::Options& options, Completion completion) = 0;
    // Whether the selector shows any window.
    [[nodiscard]] virtual bool isOpen() const = 0;
};

} // namespace quillet
