#include "Quillet/capture/Capturer.hpp"
#include "core/RawBitmapFile.hpp"

#include "tests/fuzz/FuzzEntries.hpp"

#include <QString>

#include <sys/mman.h>
#include <unistd.h>

namespace quillet::fuzz {

void captureRaw(Bytes data)
{
    const int file = memfd_create("capture.raw", MFD_CLOEXEC);
    require(file >= 0);
    require(write(file, data.data(), data.size()) == static_cast<ssize_t>(data.size()));
    const auto image = Capturer::loadRaw(QStringLiteral("/proc/self/fd/%1").arg(file));
    close(file);
    if (image) {
        // Whatever is accepted is exactly as large as the file says.
        const auto pixels = static_cast<std::uint64_t>(image->image.width()) * image->image.height();
        require(RawBitmapFile::headerSize + pixels * 4 == data.size());
        require(image->scale >= 1);
    }
}

} // namespace quillet::fuzz
