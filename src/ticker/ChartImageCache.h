#pragma once
// The decoded chart images of the detail popup, one per chart file.
//
// A chart file is decoded on a background thread: when it is first asked for, and again
// after each download that replaced it once it has been asked for; hovering over the
// grid only looks the image up. Decoding a PNG takes milliseconds and, for a
// hostile file, memory: neither belongs on the GUI thread nor on every mouse move.

#include "net/ChartImage.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace marlune {

// A decoded chart as a 32-bit image: opaque unless the chart carries transparency.
QImage ToQImage(const ChartImage& image);

class ChartImageCache final : public QObject {
    Q_OBJECT
public:
    // Reads and decodes one chart file; runs on the background thread.
    using Decoder = std::function<std::optional<ChartImage>(const std::string& path)>;

    explicit ChartImageCache(QObject* parent = nullptr);
    // Waits for the decoding under way (a few milliseconds) and drops the others.
    ~ChartImageCache() override;

    // Replaces LoadChartImage, e.g. in tests. Before the first use.
    void setDecoder(Decoder decoder) { m_decoder = std::move(decoder); }

    // GUI thread only, as everything below.
    // A download has replaced the file: decode it again if it was ever asked for.
    void FileDownloaded(const std::string& path);
    // The file's download failed, which leaves no file: forget its image.
    void FileGone(const std::string& path);
    // The file's image, or a null image while there is none (not decoded yet, missing,
    // not a chart). The first ask for a file starts its decoding.
    QImage Image(const std::string& path);
    // Whether a decoding of the file is under way or waiting.
    bool IsDecoding(const std::string& path) const;

signals:
    // The image of a file changed (decoded, or gone), or its decoding ended without one.
    void imageChanged(const QString& path);

private:
    struct Entry {
        QImage image;
        unsigned generation = 0; // of the latest decoding asked for
        bool decoding = false;
    };

    void decode(const std::string& path, Entry& entry);
    void decoded(const std::string& path, unsigned generation, QImage image);

    Decoder m_decoder;
    std::map<std::string, Entry> m_entries;
    QThreadPool m_pool; // one thread, which ends when idle
};

} // namespace marlune
