#include "ticker/ChartImageCache.h"

#include <QMetaObject>

#include <cstring>

namespace marlune {

QImage ToQImage(const ChartImage& image) {
    // The fourth byte is 0 for images without transparency: draw those opaque.
    bool hasAlpha = false;
    for (std::size_t i = 3; i < image.pixels.size(); i += 4) {
        if (image.pixels[i] != 0) {
            hasAlpha = true;
            break;
        }
    }
    QImage result(image.width, image.height, hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (result.isNull())
        return result;
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
    for (int y = 0; y < image.height; ++y) {
        uchar* line = result.scanLine(y);
        std::memcpy(line, image.pixels.data() + rowBytes * static_cast<std::size_t>(y), rowBytes);
        if (!hasAlpha) {
            // Qt's 32-bit RGB wants 0xff in the fourth byte; the bytes in memory are B, G, R, A
            // on a little-endian machine, which is the decoder's order.
            auto* pixels = reinterpret_cast<QRgb*>(line);
            for (int x = 0; x < image.width; ++x)
                pixels[x] |= 0xff000000u;
        }
    }
    return result;
}

ChartImageCache::ChartImageCache(QObject* parent) : QObject(parent), m_decoder(LoadChartImage) {
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(10000);
}

ChartImageCache::~ChartImageCache() {
    m_pool.clear();
    m_pool.waitForDone();
}

void ChartImageCache::FileDownloaded(const std::string& path) {
    // Files nobody has looked at wait until they are asked for: most charts are
    // downloaded many times and never shown.
    auto found = m_entries.find(path);
    if (found != m_entries.end())
        decode(path, found->second);
}

void ChartImageCache::FileGone(const std::string& path) {
    auto found = m_entries.find(path);
    if (found == m_entries.end())
        return;
    Entry& entry = found->second;
    ++entry.generation; // a decoding under way is out of date
    const bool wasDecoding = entry.decoding;
    entry.decoding = false;
    const bool hadImage = !entry.image.isNull();
    entry.image = QImage();
    if (hadImage || wasDecoding)
        emit imageChanged(QString::fromStdString(path));
}

QImage ChartImageCache::Image(const std::string& path) {
    if (path.empty())
        return {};
    auto [found, added] = m_entries.try_emplace(path);
    if (added)
        decode(path, found->second);
    return found->second.image;
}

bool ChartImageCache::IsDecoding(const std::string& path) const {
    auto found = m_entries.find(path);
    return found != m_entries.end() && found->second.decoding;
}

void ChartImageCache::decode(const std::string& path, Entry& entry) {
    const unsigned generation = ++entry.generation;
    entry.decoding = true;
    m_pool.start([this, path, generation, decoder = m_decoder] {
        std::optional<ChartImage> chart = decoder(path);
        QImage image = chart ? ToQImage(*chart) : QImage();
        // Back on the GUI thread; dropped with this object (which waits for this task).
        QMetaObject::invokeMethod(
            this, [this, path, generation, image = std::move(image)] { decoded(path, generation, image); },
            Qt::QueuedConnection);
    });
}

void ChartImageCache::decoded(const std::string& path, unsigned generation, QImage image) {
    auto found = m_entries.find(path);
    if (found == m_entries.end() || found->second.generation != generation)
        return; // a newer download or a failure came meanwhile
    Entry& entry = found->second;
    // Reported even when there is still no image: the popup then knows the file is no chart
    // and draws one from minute data instead.
    entry.decoding = false;
    entry.image = std::move(image);
    emit imageChanged(QString::fromStdString(path));
}

} // namespace marlune
