#pragma once

#include "Quillet/common/Outcome.hpp"
#include "Quillet/library/Library.hpp"

#include <QObject>

#include <chrono>
#include <functional>

namespace quillet {

class Settings;

// Names new captures as the settings ask (by date, or by the next number, which it spends), in the
// folder the settings name. Main thread only.
class CaptureNames {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    CaptureNames(Settings& settings, Clock now);
    ~CaptureNames();
    CaptureNames(const CaptureNames&) = delete;
    CaptureNames& operator=(const CaptureNames&) = delete;

    // A free name for a new still or recording. The number is spent when the name is made, so a
    // failed save still moves on.
    [[nodiscard]] Outcome<Library::NewFile> next(Library::Kind kind);
    // The same for a capture made at `date` (a recovered recording), named by that date.
    [[nodiscard]] Outcome<Library::NewFile> next(Library::Kind kind,
                                                 std::chrono::system_clock::time_point date);

    // Follows the folder setting.
    [[nodiscard]] Library& library() { return library_; }

private:
    Settings& settings_;
    Clock now_;
    Library library_;
    QMetaObject::Connection followsFolder_;
};

} // namespace quillet
