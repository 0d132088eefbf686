// The sensor pair's command words and the frame sizes of the line. Nothing
// else in the program spells a command number.
#pragma once

#include <cstdint>

enum SensorCommand : uint16_t {
    CMD_WRITE_RAM = 1,        // page -> RAM; no reply awaited
    CMD_READ_RAM = 2,         // RAM page -> frame
    CMD_WRITE_EEPROM = 3,     // page -> EEPROM; no reply awaited
    CMD_READ_EEPROM = 4,      // EEPROM page -> frame
    CMD_ECHO = 5,             // echo check at port opening
    CMD_TEACH = 6,            // current positions become the teach values
    CMD_FIRMWARE = 7,         // 72 raw bytes of firmware text
    CMD_LIVE = 8,             // live frame: 16 words from byte 4
    CMD_BLOCK = 9,            // 64-word block: 128 raw bytes
    CMD_HARDWARE = 10,        // hardware information words from byte 4
    CMD_RESET_MAXMIN = 11,    // restart the held maximum and minimum
    CMD_XFLASH_CLEAR = 101,   // clear the linearisation memory
    CMD_XFLASH_WRITE = 102,   // 8 table words at a page and offset
};

enum : uint16_t {
    SYNC_REQUEST = 0x0055,
    SYNC_REPLY = 0x00AA,
};

enum {
    FRAME_LEN = 36,            // every request and frame reply
    FIRMWARE_REPLY_LEN = 72,   // bare bytes of CMD_FIRMWARE
    BLOCK_REPLY_LEN = 128,     // bare bytes of CMD_BLOCK
    NOTIFY_EVENT_CHAR = 0x55,
};
