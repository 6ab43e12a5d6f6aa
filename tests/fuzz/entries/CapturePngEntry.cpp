#include "Quillet/capture/Capturer.hpp"

#include "tests/fuzz/FuzzEntries.hpp"

#include <QString>

#include <sys/mman.h>
#include <unistd.h>

namespace quillet::fuzz {

void capturePng(Bytes data)
{
    // The application reads the tool's file by its path; an in-memory file keeps that path cheap.
    const int file = memfd_create("capture.png", MFD_CLOEXEC);
    require(file >= 0);
    require(write(file, data.data(), data.size()) == static_cast<ssize_t>(data.size()));
    (void)Capturer::load(QStringLiteral("/proc/self/fd/%1").arg(file));
    close(file);
}

} // namespace quillet::fuzz
