#include "tools/screencapture/still/PngWriter.hpp"

#include "tools/screencapture/still/BitmapRowReader.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <new>
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

std::vector<std::uint8_t> headerData(long width, long height)
{
    std::vector<std::uint8_t> data;
    appendBigEndian(data, std::uint32_t(width));
    appendBigEndian(data, std::uint32_t(height));
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
    std::unique_ptr<std::uint8_t[]> deflated; // not zero-filled: only the written part is touched
    std::size_t deflatedSize = 0;
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

class BandDeflater {
public:
    BandDeflater(long width, Band& band)
        : width_(width), rowSize_(1 + std::size_t(width) * rgbBytes), band_(band)
    {
    }

    void run(RowReader& reader)
    {
        if (deflateInit2(&stream_, Z_BEST_SPEED, Z_DEFLATED, rawDeflateWindowBits, memoryLevel,
                         Z_DEFAULT_STRATEGY) != Z_OK) {
            band_.didFail = true;
            return;
        }
        band_.rawSize = rowSize_ * std::size_t(band_.rowCount);
        const std::size_t capacity = deflateBound(&stream_, uLong(band_.rawSize)) + flushSlack;
        band_.deflated.reset(new (std::nothrow) std::uint8_t[capacity]);
        band_.didFail = !band_.deflated;
        stream_.next_out = band_.deflated.get();
        stream_.avail_out = uInt(capacity);
        std::vector<std::uint8_t> batch(rowSize_ * std::size_t(RowReader::maximumStripRows));
        for (long row = 0; row < band_.rowCount && !band_.didFail; row += RowReader::maximumStripRows) {
            const long count = std::min(RowReader::maximumStripRows, band_.rowCount - row);
            const std::uint8_t* pixels = reader.rows(band_.firstRow + row, count);
            band_.didFail = pixels == nullptr || !deflateRows(pixels, reader.bytesPerRow(), count, batch,
                                                              row + count >= band_.rowCount);
        }
        band_.deflatedSize = capacity - stream_.avail_out;
        deflateEnd(&stream_);
    }

private:
    static constexpr std::size_t flushSlack = 64;

    bool deflateRows(const std::uint8_t* pixels, std::size_t bytesPerRow, long count,
                     std::vector<std::uint8_t>& batch, bool isBandEnd)
    {
        for (long i = 0; i < count; ++i) {
            convertRow(pixels + std::size_t(i) * bytesPerRow, width_,
                       batch.data() + std::size_t(i) * rowSize_);
        }
        const std::size_t size = rowSize_ * std::size_t(count);
        band_.adler = adler32(band_.adler, batch.data(), uInt(size));
        stream_.next_in = batch.data();
        stream_.avail_in = uInt(size);
        const int flush = !isBandEnd ? Z_NO_FLUSH : (band_.isLast ? Z_FINISH : Z_SYNC_FLUSH);
        const int result = deflate(&stream_, flush);
        return stream_.avail_in == 0 && (result == Z_OK || result == Z_STREAM_END);
    }

    long width_;
    std::size_t rowSize_;
    Band& band_;
    z_stream stream_{};
};

void deflateBand(long width, const RowReaderFactory& readers, Band& band)
{
    std::unique_ptr<RowReader> reader = readers();
    if (!reader) {
        band.didFail = true;
        return;
    }
    BandDeflater(width, band).run(*reader);
}

std::vector<Band> bandsFor(long height)
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const long count = std::clamp(height / minimumRowsPerBand, 1L, long(std::min(cores, maximumBands)));
    std::vector<Band> bands(static_cast<std::size_t>(count));
    long firstRow = 0;
    for (long i = 0; i < count; ++i) {
        auto& band = bands[std::size_t(i)];
        band.firstRow = firstRow;
        band.rowCount = height * (i + 1) / count - firstRow;
        band.isLast = i == count - 1;
        firstRow += band.rowCount;
    }
    return bands;
}

bool deflateBands(long width, const RowReaderFactory& readers, std::vector<Band>& bands)
{
    std::vector<std::thread> workers;
    try {
        for (std::size_t i = 1; i < bands.size(); ++i) {
            workers.emplace_back(deflateBand, width, std::cref(readers), std::ref(bands[i]));
        }
    } catch (const std::system_error&) {
        // Fewer threads than hoped: the rest is done on this one.
    }
    deflateBand(width, readers, bands[0]);
    for (std::size_t i = 1 + workers.size(); i < bands.size(); ++i) {
        deflateBand(width, readers, bands[i]);
    }
    for (auto& worker : workers) {
        worker.join();
    }
    return std::none_of(bands.begin(), bands.end(), [](const Band& band) { return band.didFail; });
}

void appendImageData(std::vector<std::uint8_t>& out, std::vector<Band>& bands)
{
    uLong adler = 1;
    std::vector<std::uint8_t> chunk;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        Band& band = bands[i];
        adler = i == 0 ? band.adler : adler32_combine(adler, band.adler, z_off_t(band.rawSize));
        chunk.clear();
        if (i == 0) {
            chunk.insert(chunk.end(), zlibHeader.begin(), zlibHeader.end());
        }
        chunk.insert(chunk.end(), band.deflated.get(), band.deflated.get() + band.deflatedSize);
        if (band.isLast) {
            appendBigEndian(chunk, std::uint32_t(adler));
        }
        appendChunk(out, "IDAT", chunk.data(), chunk.size());
        band.deflated.reset();
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

std::string failure(const std::string& path, int error)
{
    return "cannot write '" + path + "': " + std::strerror(error);
}

} // namespace

std::vector<std::uint8_t> encode(long width, long height, double pixelsPerPoint,
                                 const RowReaderFactory& readers)
{
    if (width <= 0 || height <= 0) {
        return {};
    }
    std::vector<Band> bands = bandsFor(height);
    if (!deflateBands(width, readers, bands)) {
        return {};
    }
    std::vector<std::uint8_t> out(signature.begin(), signature.end());
    const auto header = headerData(width, height);
    appendChunk(out, "IHDR", header.data(), header.size());
    const auto physical = physicalData(pixelsPerPoint);
    appendChunk(out, "pHYs", physical.data(), physical.size());
    appendImageData(out, bands);
    appendChunk(out, "IEND", nullptr, 0);
    return out;
}

std::vector<std::uint8_t> encode(const Bitmap& bitmap, double pixelsPerPoint)
{
    if (bitmap.isEmpty()) {
        return {};
    }
    return encode(bitmap.width, bitmap.height, pixelsPerPoint,
                  [&bitmap] { return std::make_unique<BitmapRowReader>(bitmap); });
}

std::optional<std::string> refusedOutput(const std::string& path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return "'" + path + "' is not a regular file; it is left as it is";
}

bool writeAll(int fd, const std::uint8_t* bytes, std::size_t size)
{
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, bytes + written, size - written);
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

std::optional<std::string> writeFile(const std::vector<std::uint8_t>& bytes, const std::string& path)
{
    return writeFile([&bytes](int fd) { return writeAll(fd, bytes.data(), bytes.size()); }, path);
}

std::optional<std::string> writeFile(const std::function<bool(int fd)>& writeContent, const std::string& path)
{
    if (auto refusal = refusedOutput(path)) {
        return refusal;
    }
    std::string temporary = folderOf(path) + "/.quillet-screencapture-XXXXXX";
    // mkstemp creates the file with mode 0600 whatever the umask.
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return failure(path, errno);
    }
    const bool isWritten = writeContent(fd) && fchmod(fd, ownerOnly) == 0;
    const int writeError = errno;
    if (close(fd) != 0 || !isWritten) {
        unlink(temporary.c_str());
        return failure(path, isWritten ? errno : writeError);
    }
    // Checked again at the last moment: something may have taken the path while the PNG was made.
    if (auto refusal = refusedOutput(path)) {
        unlink(temporary.c_str());
        return refusal;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        unlink(temporary.c_str());
        return failure(path, renameError);
    }
    return std::nullopt;
}

} // namespace quillet::screencapture::PngWriter
