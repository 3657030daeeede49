#include "net/ChartImage.h"

#include "text/FileBytes.h"

#include <cstring>
#include <filesystem>
#include <png.h>

namespace marlune {
namespace {

// A chart file larger than this is not a chart; it is refused without reading it.
constexpr std::uintmax_t kMaxChartFileBytes = 64u * 1024u * 1024u;

// Deflate cannot expand data by more than about 1032 to 1; an image whose rows need
// more raw bytes than that from the file's size cannot be complete, and is refused
// before its pixel buffer is allocated.
constexpr std::size_t kMaxInflateRatio = 1032;

// libpng reads from here; plain data, so that a long jump out of the read callback
// leaves nothing to destroy.
struct MemoryReader {
    const unsigned char* data;
    std::size_t size;
    std::size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->size - reader->offset)
        png_error(png, "truncated");
    std::memcpy(out, reader->data + reader->offset, length);
    reader->offset += length;
}

// Errors end the decoding through the long jump set below, silently: a bad chart file
// is an ordinary outcome, not something to print.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

// Owns libpng's read and info structures.
class PngReader {
public:
    PngReader()
        : m_png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning)),
          m_info(m_png ? png_create_info_struct(m_png) : nullptr) {}
    ~PngReader() {
        if (m_png)
            png_destroy_read_struct(&m_png, m_info ? &m_info : nullptr, nullptr);
    }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    bool valid() const { return m_png && m_info; }
    png_structp png() const { return m_png; }
    png_infop info() const { return m_info; }

private:
    png_structp m_png;
    png_infop m_info;
};

struct DecodedLayout {
    png_uint_32 width;
    png_uint_32 height;
    std::size_t rowBytes;
};

// The two libpng phases below each set their own jump target. They hold no object with
// a destructor and change no local after setjmp, so a long jump out of libpng skips
// nothing; the buffers live in the caller, between the phases.

// Reads the header and asks libpng for blue, green, red, fourth byte at 8 bits:
// palette and low-bit grey expanded, transparency chunks turned into alpha, grey
// copied into the three colours, 16-bit samples cut to their high byte, a zero
// fourth byte added to images without alpha.
bool ReadLayout(const PngReader& reader, MemoryReader* source, DecodedLayout* layout) {
    png_structp png = reader.png();
    png_infop info = reader.info();
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, source, ReadFromMemory);
    png_set_user_limits(png, kMaxChartSide, kMaxChartSide);
    png_read_info(png, info);

    const png_uint_32 height = png_get_image_height(png, info);
    const std::size_t rawRowBytes = png_get_rowbytes(png, info) + 1; // + the filter byte
    if (rawRowBytes * height > source->size * kMaxInflateRatio + 65536)
        return false;

    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    layout->width = png_get_image_width(png, info);
    layout->height = height;
    layout->rowBytes = png_get_rowbytes(png, info);
    return png_get_bit_depth(png, info) == 8 && png_get_channels(png, info) == 4 &&
           layout->rowBytes == std::size_t{layout->width} * 4;
}

bool ReadRows(const PngReader& reader, png_bytepp rows) {
    png_structp png = reader.png();
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

} // namespace

std::optional<ChartImage> DecodeChartImage(std::string_view pngBytes) {
    constexpr std::size_t kSignatureBytes = 8;
    if (pngBytes.size() < kSignatureBytes ||
        png_sig_cmp(reinterpret_cast<png_const_bytep>(pngBytes.data()), 0, kSignatureBytes) != 0)
        return std::nullopt;

    PngReader reader;
    if (!reader.valid())
        return std::nullopt;
    MemoryReader source{reinterpret_cast<const unsigned char*>(pngBytes.data()), pngBytes.size(), 0};
    DecodedLayout layout{};
    if (!ReadLayout(reader, &source, &layout) || layout.width == 0 || layout.height == 0)
        return std::nullopt;

    ChartImage image;
    image.width = static_cast<int>(layout.width);
    image.height = static_cast<int>(layout.height);
    image.pixels.resize(layout.rowBytes * layout.height);
    std::vector<png_bytep> rows(layout.height);
    for (png_uint_32 y = 0; y < layout.height; ++y)
        rows[y] = image.pixels.data() + y * layout.rowBytes;
    if (!ReadRows(reader, rows.data()))
        return std::nullopt;
    return image;
}

std::optional<ChartImage> LoadChartImage(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxChartFileBytes)
        return std::nullopt;
    const std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return DecodeChartImage(*bytes);
}

} // namespace marlune
