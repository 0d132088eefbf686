// Sensor identification: hardware words (CCD line, model, firmware version)
// and the firmware text, and what the program adapts to them.
#pragma once

#include <cstddef>
#include <cstdint>

int GetHARDWAREInfo();
int GetVERSIONInfo();

// The firmware text from its raw reply. A board of type 0 sends 36
// big-endian words with one character in each low byte; any other board
// sends the text itself, ended by a zero byte or by the reply's end.
// Writes a terminated text of at most size-1 characters.
void DecodeFirmwareText(const unsigned char* reply, std::size_t len, uint16_t boardType,
                        char* text, std::size_t size);

// The two description lines of a sensor model, or false when the model is
// not listed for that CCD type.
bool SensorModelLines(uint16_t ccdType, uint16_t model, const char** line2, const char** line3);

// x step of the video curves for a virtual pixel count; 0 when the count is
// not a known one.
int PixelScaleStep(uint16_t virtPixels);
