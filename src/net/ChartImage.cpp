#include "net/ChartImage.h"

#include "platform/os/FileSystem.h"
#include "text/FileBytes.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <png.h>

namespace marlune {
namespace {

// Ancillary chunks libpng keeps at most (text, sPLT, unknown ones).
constexpr png_uint_32 kMaxCachedChunks = 64;

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

// libpng's allocations for one decoding, counted against kMaxPngWorkingBytes: a chunk
// that declares gigabytes (libpng would allocate its length before reading it) gets
// nothing, and the decoding fails. Each block carries its size in a header.
struct AllocationBudget {
    std::size_t inUse = 0;
};

constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

png_voidp AllocateWithinBudget(png_structp png, png_alloc_size_t size) {
    auto* budget = static_cast<AllocationBudget*>(png_get_mem_ptr(png));
    if (size > kMaxPngWorkingBytes - budget->inUse)
        return nullptr; // libpng turns this into its own error
    auto* block = static_cast<unsigned char*>(std::malloc(size + kBlockHeader));
    if (block == nullptr)
        return nullptr;
    std::memcpy(block, &size, sizeof size);
    budget->inUse += size;
    return block + kBlockHeader;
}

void FreeWithinBudget(png_structp png, png_voidp pointer) {
    if (pointer == nullptr)
        return;
    auto* block = static_cast<unsigned char*>(pointer) - kBlockHeader;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    static_cast<AllocationBudget*>(png_get_mem_ptr(png))->inUse -= size;
    std::free(block);
}

// Owns libpng's read and info structures, and the budget of their allocations.
class PngReader {
public:
    PngReader()
        : m_png(png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning, &m_budget,
                                         AllocateWithinBudget, FreeWithinBudget)),
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
    AllocationBudget m_budget; // before m_png: libpng frees into it while being destroyed
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
    png_set_chunk_malloc_max(png, kMaxPngChunkBytes);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
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

// Walks the chunks after the signature: each must fit in the bytes that follow it, up
// to the closing IEND. libpng allocates a chunk's declared length before it reads the
// chunk (and for a chunk it finds too large it only warns), so a few bytes declaring
// gigabytes are refused here, before libpng sees them.
bool ChunksFitInFile(std::string_view bytes, std::size_t offset) {
    constexpr std::size_t kChunkFrame = 12; // length, type, CRC
    while (bytes.size() - offset >= kChunkFrame) {
        const auto* at = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
        const std::uint32_t length = (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) |
                                     (std::uint32_t{at[2]} << 8) | std::uint32_t{at[3]};
        if (length > bytes.size() - offset - kChunkFrame)
            return false;
        if (std::memcmp(at + 4, "IEND", 4) == 0)
            return true;
        offset += kChunkFrame + length;
    }
    return false;
}

} // namespace

std::optional<ChartImage> DecodeChartImage(std::string_view pngBytes) {
    constexpr std::size_t kSignatureBytes = 8;
    if (pngBytes.size() < kSignatureBytes ||
        png_sig_cmp(reinterpret_cast<png_const_bytep>(pngBytes.data()), 0, kSignatureBytes) != 0 ||
        !ChunksFitInFile(pngBytes, kSignatureBytes))
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
    const os::PathStatus status = os::StatPath(path);
    if (status.kind != os::PathKind::Regular || status.size > kMaxChartFileBytes)
        return std::nullopt;
    const std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return DecodeChartImage(*bytes);
}

} // namespace marlune
