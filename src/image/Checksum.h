#pragma once
// The CRC-32 the build tools print for a binary (ISO-HDLC polynomial, zlib's crc32), so an image can be
// compared with the file the user built.

#include <QtGlobal>

namespace zendra::image {

quint32 Crc32(const quint8* bytes, qint64 count);

}  // namespace zendra::image
