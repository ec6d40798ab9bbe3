#include "sampleprint/SampleImage.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::uint32_t U32At(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Closes the descriptor however the read ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// A regular file opened for reading (a FIFO or device would block or never
// end); -1 otherwise. The size goes to `size`.
int OpenRegular(const std::string& path, std::int64_t& size) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    size = st.st_size;
    return fd;
}

// Reads exactly `length` bytes at `offset`; false on a short read.
bool ReadAt(int fd, std::int64_t offset, std::uint8_t* out, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = pread(fd, out + done, length - done,
                                static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadHeader(int fd, SampleBitmapHeader& header) {
    std::uint8_t bytes[SampleBitmapHeader::kSize];
    if (!ReadAt(fd, 0, bytes, sizeof bytes)) return false;
    const auto read = ReadSampleBitmapHeader(bytes, sizeof bytes);
    if (!read) return false;
    header = *read;
    return true;
}

} // namespace

std::int64_t SampleBitmapHeader::RowBytes() const {
    // 3 x a 32-bit width fits 64 bits; the division truncates toward zero as
    // the driver's arithmetic does.
    return (static_cast<std::int64_t>(width) * 3 + 3) / 4 * 4;
}

std::optional<std::int64_t> SampleBitmapHeader::RequiredFileSize() const {
    std::int64_t rows = 0;
    if (__builtin_mul_overflow(RowBytes(), static_cast<std::int64_t>(height), &rows))
        return std::nullopt;
    std::int64_t total = 0;
    if (__builtin_add_overflow(rows, static_cast<std::int64_t>(pixelOffset), &total))
        return std::nullopt;
    return total;
}

std::optional<SampleBitmapHeader> ReadSampleBitmapHeader(const std::uint8_t* data,
                                                         std::size_t size) {
    if (!data || size < SampleBitmapHeader::kSize) return std::nullopt;
    SampleBitmapHeader header;
    header.pixelOffset = U32At(data + 10);
    const std::uint8_t* info = data + SampleBitmapHeader::kFileHeaderSize;
    header.width = static_cast<std::int32_t>(U32At(info + 4));
    header.height = static_cast<std::int32_t>(U32At(info + 8));
    return header;
}

int CheckSampleImage(const std::string& path) {
    std::int64_t size = 0;
    const Descriptor fd(OpenRegular(path, size));
    if (fd.get() < 0) return -2;
    SampleBitmapHeader header;
    if (!ReadHeader(fd.get(), header)) return -2;
    // A size beyond 63 bits is more than any file holds.
    const auto required = header.RequiredFileSize();
    if (!required || size < *required) return -2;
    if (header.width != kSampleImageWidth || header.height != kSampleImageHeight) return -1;
    return 0;
}

std::string SampleImagePathBeside(const std::string& programPath) {
    const auto slash = programPath.rfind('/');
    if (slash == std::string::npos) return "Sample.bmp";
    return programPath.substr(0, slash + 1) + "Sample.bmp";
}

std::string StandardSampleImagePath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return SampleImagePathBeside({});
    return SampleImagePathBeside(std::string(buffer, static_cast<std::size_t>(n)));
}

QImage LoadSampleImage(const std::string& path) {
    std::int64_t size = 0;
    const Descriptor fd(OpenRegular(path, size));
    if (fd.get() < 0) return {};
    SampleBitmapHeader header;
    if (!ReadHeader(fd.get(), header)) return {};
    // The information block runs from byte 14 up to the pixel rows.
    if (header.pixelOffset <= SampleBitmapHeader::kFileHeaderSize) return {};
    if (header.width <= 0 || header.height <= 0) return {};
    const std::int64_t rowBytes = header.RowBytes();
    const auto required = header.RequiredFileSize();
    if (!required || size < *required) return {};
    const std::int64_t blockBytes = rowBytes * header.height;
    if (blockBytes > kMaxSampleImageBytes) return {};

    QImage image(header.width, header.height, QImage::Format_RGB888);
    if (image.isNull()) return {};
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    for (int y = 0; y < header.height; ++y) {
        // Rows are stored bottom-up, each pixel blue, green, red.
        const std::int64_t at = static_cast<std::int64_t>(header.pixelOffset) + rowBytes * y;
        if (!ReadAt(fd.get(), at, row.data(), row.size())) return {};
        std::uint8_t* out = image.scanLine(header.height - 1 - y);
        for (int x = 0; x < header.width; ++x) {
            out[3 * x] = row[3 * x + 2];
            out[3 * x + 1] = row[3 * x + 1];
            out[3 * x + 2] = row[3 * x];
        }
    }
    return image;
}
