#include "tools/screencapture/PngWriter.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

namespace quillet::screencapture::PngWriter {
namespace {

constexpr std::array<std::uint8_t, 8> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr std::uint8_t bitDepth = 8;
constexpr std::uint8_t colourTypeRgb = 2;
constexpr std::uint8_t filterNone = 0;
constexpr std::size_t rgbBytes = 3;
constexpr double pointsPerInch = 72;
constexpr double metresPerInch = 0.0254;
constexpr std::uint8_t unitMetre = 1;
// zlib stream header: deflate, 32 KiB window, "fastest" level hint, check bits.
constexpr std::array<std::uint8_t, 2> zlibHeader = {0x78, 0x01};
constexpr int rawDeflateWindowBits = -15;
constexpr int memoryLevel = 8;
constexpr long minimumRowsPerBand = 64;
constexpr unsigned maximumBands = 8;
constexpr long rowsPerBatch = 16;
constexpr mode_t ownerOnly = 0600;

void appendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(std::uint8_t(value >> 24));
    out.push_back(std::uint8_t(value >> 16));
    out.push_back(std::uint8_t(value >> 8));
    out.push_back(std::uint8_t(value));
}

void appendChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data, std::size_t size)
{
    appendBigEndian(out, std::uint32_t(size));
    const std::size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    if (size > 0) {
        out.insert(out.end(), data, data + size);
    }
    const auto crc = crc32(0, out.data() + typeStart, uInt(size + 4));
    appendBigEndian(out, std::uint32_t(crc));
}

std::vector<std::uint8_t> headerData(const Bitmap& bitmap)
{
    std::vector<std::uint8_t> data;
    appendBigEndian(data, std::uint32_t(bitmap.width));
    appendBigEndian(data, std::uint32_t(bitmap.height));
    data.insert(data.end(), {bitDepth, colourTypeRgb, 0, 0, 0});
    return data;
}

std::vector<std::uint8_t> physicalData(double pixelsPerPoint)
{
    const auto perMetre = std::uint32_t(std::lround(pointsPerInch * pixelsPerPoint / metresPerInch));
    std::vector<std::uint8_t> data;
    appendBigEndian(data, perMetre);
    appendBigEndian(data, perMetre);
    data.push_back(unitMetre);
    return data;
}

// One band of rows as raw deflate data that ends on a byte boundary (a sync flush) so bands can be
// joined, or with the final block for the last band.
struct Band {
    long firstRow = 0;
    long rowCount = 0;
    bool isLast = false;
    std::vector<std::uint8_t> deflated;
    uLong adler = 1;
    std::size_t rawSize = 0;
    bool didFail = false;
};

void convertRow(const std::uint8_t* bgrx, long width, std::uint8_t* out)
{
    *out++ = filterNone;
    for (long x = 0; x < width; ++x, bgrx += Bitmap::bytesPerPixel, out += rgbBytes) {
        out[0] = bgrx[2];
        out[1] = bgrx[1];
        out[2] = bgrx[0];
    }
}

void deflateBand(const Bitmap& bitmap, Band& band)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, rawDeflateWindowBits, memoryLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        band.didFail = true;
        return;
    }
    const std::size_t rowSize = 1 + std::size_t(bitmap.width) * rgbBytes;
    band.rawSize = rowSize * std::size_t(band.rowCount);
    band.deflated.resize(deflateBound(&stream, uLong(band.rawSize)) + 64);
    stream.next_out = band.deflated.data();
    stream.avail_out = uInt(band.deflated.size());
    std::vector<std::uint8_t> batch(rowSize * rowsPerBatch);
    for (long row = 0; row < band.rowCount && !band.didFail; row += rowsPerBatch) {
        const long rows = std::min(rowsPerBatch, band.rowCount - row);
        for (long i = 0; i < rows; ++i) {
            convertRow(bitmap.row(band.firstRow + row + i), bitmap.width,
                       batch.data() + std::size_t(i) * rowSize);
        }
        const std::size_t size = rowSize * std::size_t(rows);
        band.adler = adler32(band.adler, batch.data(), uInt(size));
        stream.next_in = batch.data();
        stream.avail_in = uInt(size);
        const bool isEnd = row + rows >= band.rowCount;
        const int flush = !isEnd ? Z_NO_FLUSH : (band.isLast ? Z_FINISH : Z_SYNC_FLUSH);
        const int result = deflate(&stream, flush);
        band.didFail = stream.avail_in != 0 || (result != Z_OK && result != Z_STREAM_END);
    }
    band.deflated.resize(band.deflated.size() - stream.avail_out);
    deflateEnd(&stream);
}

std::vector<Band> bandsFor(const Bitmap& bitmap)
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const long count =
        std::clamp(bitmap.height / minimumRowsPerBand, 1L, long(std::min(cores, maximumBands)));
    std::vector<Band> bands(static_cast<std::size_t>(count));
    long firstRow = 0;
    for (long i = 0; i < count; ++i) {
        auto& band = bands[std::size_t(i)];
        band.firstRow = firstRow;
        band.rowCount = bitmap.height * (i + 1) / count - firstRow;
        band.isLast = i == count - 1;
        firstRow += band.rowCount;
    }
    return bands;
}

bool deflateBands(const Bitmap& bitmap, std::vector<Band>& bands)
{
    std::vector<std::thread> workers;
    try {
        for (std::size_t i = 1; i < bands.size(); ++i) {
            workers.emplace_back(deflateBand, std::cref(bitmap), std::ref(bands[i]));
        }
    } catch (const std::system_error&) {
        // Fewer threads than hoped: the rest is done on this one.
    }
    deflateBand(bitmap, bands[0]);
    for (std::size_t i = 1 + workers.size(); i < bands.size(); ++i) {
        deflateBand(bitmap, bands[i]);
    }
    for (auto& worker : workers) {
        worker.join();
    }
    return std::none_of(bands.begin(), bands.end(), [](const Band& band) { return band.didFail; });
}

void appendImageData(std::vector<std::uint8_t>& out, std::vector<Band>& bands)
{
    uLong adler = 1;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        Band& band = bands[i];
        adler = i == 0 ? band.adler : adler32_combine(adler, band.adler, z_off_t(band.rawSize));
        if (i == 0) {
            band.deflated.insert(band.deflated.begin(), zlibHeader.begin(), zlibHeader.end());
        }
        if (band.isLast) {
            appendBigEndian(band.deflated, std::uint32_t(adler));
        }
        appendChunk(out, "IDAT", band.deflated.data(), band.deflated.size());
        band.deflated = {};
    }
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += std::size_t(n);
    }
    return true;
}

std::string failure(const std::string& path, int error)
{
    return "cannot write '" + path + "': " + std::strerror(error);
}

} // namespace

std::vector<std::uint8_t> encode(const Bitmap& bitmap, double pixelsPerPoint)
{
    if (bitmap.isEmpty()) {
        return {};
    }
    std::vector<Band> bands = bandsFor(bitmap);
    if (!deflateBands(bitmap, bands)) {
        return {};
    }
    std::vector<std::uint8_t> out(signature.begin(), signature.end());
    const auto header = headerData(bitmap);
    appendChunk(out, "IHDR", header.data(), header.size());
    const auto physical = physicalData(pixelsPerPoint);
    appendChunk(out, "pHYs", physical.data(), physical.size());
    appendImageData(out, bands);
    appendChunk(out, "IEND", nullptr, 0);
    return out;
}

std::optional<std::string> writeFile(const std::vector<std::uint8_t>& bytes, const std::string& path)
{
    std::string temporary = folderOf(path) + "/.quillet-screencapture-XXXXXX";
    // mkstemp creates the file with mode 0600 whatever the umask.
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return failure(path, errno);
    }
    const bool isWritten = writeAll(fd, bytes) && fchmod(fd, ownerOnly) == 0;
    const int writeError = errno;
    if (close(fd) != 0 || !isWritten) {
        unlink(temporary.c_str());
        return failure(path, isWritten ? errno : writeError);
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        unlink(temporary.c_str());
        return failure(path, renameError);
    }
    return std::nullopt;
}

} // namespace quillet::screencapture::PngWriter
