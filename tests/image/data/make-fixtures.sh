#!/bin/sh
# Rebuilds the toolchain-made fixtures: a tiny ATtiny2313 program (code + EEPROM section) compiled with
# avr-gcc and converted with avr-objcopy -O ihex. Needs gcc-avr, binutils-avr and avr-libc.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/blink.c" <<'SRC'
#include <avr/io.h>
#include <avr/eeprom.h>

uint8_t EEMEM table[20] = {'K', 'X', '-', 'W', 'R', 'T', 0x00, 0x01, 0x7F, 0x80, 0xFE,
                           0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0xA5, 0x5A};

int main(void) {
    DDRB = 0xFF;
    for (;;) {
        PORTB ^= eeprom_read_byte(&table[0]);
    }
}
SRC

avr-gcc -mmcu=attiny2313 -Os -o "$work/blink.elf" "$work/blink.c"
avr-objcopy -O ihex -R .eeprom "$work/blink.elf" "$here/blink.hex"
avr-objcopy -O ihex -j .eeprom --change-section-lma .eeprom=0 "$work/blink.elf" "$here/blink.eep"
# Raw images of the same sections, so the tests compare the loaded bytes with the toolchain's own.
avr-objcopy -O binary -R .eeprom "$work/blink.elf" "$here/blink.code.bin"
avr-objcopy -O binary -j .eeprom "$work/blink.elf" "$here/blink.eep.bin"
