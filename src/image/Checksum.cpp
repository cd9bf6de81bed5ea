#include "image/Checksum.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace zendra::image {

quint32 Crc32(const quint8* bytes, qint64 count) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes at most a uInt at a time.
    while (count > 0) {
        const auto piece = static_cast<uInt>(std::min<qint64>(count, std::numeric_limits<uInt>::max()));
        crc = crc32(crc, bytes, piece);
        bytes += piece;
        count -= piece;
    }
    return static_cast<quint32>(crc);
}

}  // namespace zendra::image
