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

# One firmware per device kind, each kept as the ELF avr-ld wrote and as avr-objcopy's HEX (flash and
# EEPROM), binary and S-record outputs, so the tests can prove every form loads to the same images.
# C with EEMEM data, FUSES and LOCKBITS for AT90S2313 and ATtiny26L; assembler for ATtiny12L, which
# avr-gcc has no C support for.
cat >"$work/tn26.c" <<'SRC'
#include <avr/io.h>
#include <avr/eeprom.h>

FUSES = {.low = 0xE4, .high = 0xF5};
LOCKBITS = 0xFE;
uint8_t EEMEM calibration[8] = {0x26, 0x4C, 0x00, 0xFF, 0x11, 0x22, 0x33, 0x44};
const char banner[] = "tiny26";
volatile uint8_t counter = 7;

int main(void) {
    DDRA = 0xFF;
    for (;;) PORTA = eeprom_read_byte(&calibration[counter & 7]) + banner[counter++ & 3];
}
SRC
cat >"$work/s2313.c" <<'SRC'
#include <avr/io.h>
#include <avr/eeprom.h>

FUSES = {.byte = 0xFF};
LOCKBITS = 0xFC;
uint8_t EEMEM message[12] = "AT90S2313 ok";
volatile uint8_t state = 3;

int main(void) {
    DDRB = 0xFF;
    for (;;) PORTB = eeprom_read_byte(&message[state++ % 12]);
}
SRC
cat >"$work/tn12.S" <<'SRC'
#include <avr/io.h>
    .section .text
    .global main
main:
    ldi r16, 0x1F
    out _SFR_IO_ADDR(DDRB), r16
loop:
    in r17, _SFR_IO_ADDR(PINB)
    com r17
    out _SFR_IO_ADDR(PORTB), r17
    rjmp loop
    .section .eeprom, "aw", @progbits
    .byte 0x12, 0x0C, 0xA5, 0x5A
    .section .fuse, "aw", @progbits
    .byte 0x52
SRC
avr-gcc -mmcu=attiny26 -Os -o "$here/tn26.elf" "$work/tn26.c"
avr-gcc -mmcu=at90s2313 -Os -o "$here/s2313.elf" "$work/s2313.c"
avr-gcc -mmcu=attiny12 -nostartfiles -o "$here/tn12.elf" "$work/tn12.S"
# Relative names: the S-record header holds the output's name as given.
cd "$here"
for name in tn26 s2313 tn12; do
    avr-objcopy -O ihex -j .text -j .data "$name.elf" "$name.hex"
    avr-objcopy -O ihex -j .eeprom --change-section-lma .eeprom=0 "$name.elf" "$name.eep"
    avr-objcopy -O binary -j .text -j .data "$name.elf" "$name.bin"
    avr-objcopy -O srec --srec-forceS3 -j .text -j .data "$name.elf" "$name.s37"
    avr-objcopy -O srec -j .text -j .data "$name.elf" "$name.srec"
done
