#pragma once
// Reference decoding with Qt's reader, and entry points that count and
// record the reader's calls into the JPEG library.
#include <cstdint>
#include <string>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "SurfacePixels.h"
#include "surface/IjlEntryPoints.h"

namespace pivra::test {

inline QImage QtDecode(const std::vector<std::uint8_t>& bytes) {
    QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    return reader.read().convertToFormat(QImage::Format_RGB888);
}

// Largest difference of any colour byte between the surface and the image.
inline int MaxDifference(const CDIBSection& dib, const QImage& image) {
    int worst = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Bgr p = PixelAt(dib, x, y);
            const uchar* q = image.constScanLine(y) + 3 * x;
            worst = std::max({worst, std::abs(p.r - q[0]), std::abs(p.g - q[1]), std::abs(p.b - q[2])});
        }
    return worst;
}

// Wraps the shim, counting calls and keeping the block as the data read saw it.
struct IjlSpy {
    static inline int inits = 0, reads = 0, frees = 0;
    static inline ijl::JPEG_CORE_PROPERTIES lastDataRead{};
    static inline ijl::IJLERR initStatus = ijl::IJL_OK;
    static inline ijl::IJLERR forcedReadStatus = ijl::IJL_OK;
    static inline bool noTexts = false;

    static void Reset() {
        inits = reads = frees = 0;
        lastDataRead = {};
        initStatus = forcedReadStatus = ijl::IJL_OK;
        noTexts = false;
    }
    static ijl::IJLERR Init(ijl::JPEG_CORE_PROPERTIES* p) {
        ++inits;
        return initStatus != ijl::IJL_OK ? initStatus : ijl::ijlInit(p);
    }
    static ijl::IJLERR Read(ijl::JPEG_CORE_PROPERTIES* p, ijl::IJLIOTYPE mode) {
        ++reads;
        if (forcedReadStatus != ijl::IJL_OK) return forcedReadStatus;
        if (mode != ijl::IJL_JBUFF_READPARAMS) lastDataRead = *p;
        return ijl::ijlRead(p, mode);
    }
    static ijl::IJLERR Free(ijl::JPEG_CORE_PROPERTIES* p) {
        ++frees;
        return ijl::ijlFree(p);
    }
    static const char* ErrorStr(ijl::IJLERR code) { return noTexts ? nullptr : ijl::ijlErrorStr(code); }

    static const IjlEntryPoints& EntryPoints() {
        static const IjlEntryPoints spy{Init, Read, Free, ErrorStr};
        return spy;
    }
};

}  // namespace pivra::test
