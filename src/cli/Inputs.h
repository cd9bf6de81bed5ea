#pragma once
// The input files: read within their limits and parsed as the images a device takes; a refusal names the
// file and why, with the exit code it ends the run with.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "devices/Catalogue.h"
#include "image/IntelHex.h"
#include "image/MemoryImages.h"

namespace zendra::cli {

struct Plan;

struct Failure {
    int code;
    QString text;
};

// The file's bytes; a refusal says which file and why.
std::optional<QByteArray> ReadInput(const QString& path, Failure& failure);

struct ParsedImages {
    image::MemoryImages images;
    int codeBeyond = 0, eepromBeyond = 0;  // bytes the device cannot hold
    int records = 0;                       // data records of both files
    QStringList withoutEndRecord;          // files that end without an end record
    image::FileFuses fuses;                // an ELF code file's lock/fuse bytes
    bool Blank() const;                    // both images hold nothing to program
};

// The plan's files as images for `device` (null: the images' whole capacity); a bad record is a failure
// that names the file and the line.
std::optional<ParsedImages> ParseInputs(const Plan& plan, const devices::Device* device, Failure& failure);

}  // namespace zendra::cli
