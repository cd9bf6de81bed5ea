#pragma once
// What the catalogue must hold for each device, in selector order, written out once for every test that
// checks it against the panel, the dumps or the index drawing.

#include <QList>
#include <QString>

#include "devices/Catalogue.h"

namespace zendra::test {

// `active`: the lock/fuse fields the panel fills besides the lock (the rest show "-"); `lrww`: the lock
// choice visible, read enabled, write enabled, and whether the reset pin's I/O choice warns.
struct DeviceFacts {
    QString name;
    int code, words, eeprom;
    devices::Socket socket;
    QString active = {}, lrww = "1010", calib = "-";
};

// clang-format off
inline const QList<DeviceFacts> kDeviceFacts = {
    {.name = "ATtiny12L", .code = 0x55, .words = 512, .eeprom = 64, .socket = devices::Socket::DUT_08,
     .active = "CKSEL BODEN BODLEVEL RSTDISBL", .lrww = "1111", .calib = "?"},
    {.name = "ATtiny15L", .code = 0x56, .words = 512, .eeprom = 64, .socket = devices::Socket::DUT_08,
     .active = "CKSEL BODEN BODLEVEL RSTDISBL", .lrww = "1111", .calib = "?"},
    {.name = "ATtiny26L", .code = 0x59, .words = 1024, .eeprom = 128, .socket = devices::Socket::DUT_20A,
     .active = "CKSEL SUT BODEN BODLEVEL RSTDISBL EESAVE CKOPT PLLCK", .lrww = "1111", .calib = "?"},
    {.name = "AT90S2323", .code = 0x48, .words = 1024, .eeprom = 128, .socket = devices::Socket::DUT_08,
     .active = "FSTRT", .lrww = "1110"},
    {.name = "AT90S2343", .code = 0x4C, .words = 1024, .eeprom = 128, .socket = devices::Socket::DUT_08,
     .active = "RCEN", .lrww = "1110"},
    {.name = "AT90S1200 (外部ｸﾛｯｸ)", .code = 0x13, .words = 512, .eeprom = 64, .socket = devices::Socket::DUT_20},
    {.name = "AT90S1200A(内部RCｸﾛｯｸ1MHz)", .code = 0x13, .words = 512, .eeprom = 64, .socket = devices::Socket::DUT_20},
    {.name = "AT90S2313", .code = 0x20, .words = 1024, .eeprom = 128, .socket = devices::Socket::DUT_20},
    {.name = "AT90S4433", .code = 0x30, .words = 2048, .eeprom = 256, .socket = devices::Socket::DUT_28,
     .active = "CKSEL BODEN BODLEVEL", .lrww = "1110"},
    {.name = "AT90S4414", .code = 0x28, .words = 2048, .eeprom = 256, .socket = devices::Socket::DUT_40},
    {.name = "AT90S4434", .code = 0x6C, .words = 2048, .eeprom = 256, .socket = devices::Socket::DUT_40,
     .active = "FSTRT", .lrww = "1110"},
    {.name = "AT90S8515", .code = 0x38, .words = 4096, .eeprom = 512, .socket = devices::Socket::DUT_40},
    {.name = "AT90S8535", .code = 0x68, .words = 4096, .eeprom = 512, .socket = devices::Socket::DUT_40,
     .active = "FSTRT", .lrww = "1110"},
};
// clang-format on

}  // namespace zendra::test
