#include "Quillet/library/CaptureNames.hpp"

#include "Quillet/common/Settings.hpp"

#include <limits>

namespace quillet {

CaptureNames::CaptureNames(Settings& settings, Clock now)
    : settings_(settings), now_(std::move(now)), library_(settings.folder())
{
    followsFolder_ = QObject::connect(&settings_, &Settings::changed, &settings_,
                                      [this] { library_.setFolder(settings_.folder()); });
}

CaptureNames::~CaptureNames()
{
    QObject::disconnect(followsFolder_);
}

Outcome<Library::NewFile> CaptureNames::next(Library::Kind kind)
{
    return next(kind, now_());
}

Outcome<Library::NewFile> CaptureNames::next(Library::Kind kind, std::chrono::system_clock::time_point date)
{
    Library::Naming naming = Library::DateNaming{};
    if (settings_.fileNaming() == FileNamingStyle::number) {
        naming = Library::NumberedNaming{settings_.filePrefix(), settings_.nextNumber()};
    }
    auto result = library_.newFile(kind, naming, date);
    if (result.isSuccess() && result.value().number) {
        // The largest number has no successor and stays.
        const std::int64_t used = *result.value().number;
        settings_.setNextNumber(used == std::numeric_limits<std::int64_t>::max() ? used : used + 1);
    }
    return result;
}

} // namespace quillet
