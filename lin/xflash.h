// The linearisation table: loaded from a file, written into the sensor's
// X-FLASH in 256 frames of 8 words after a clear, with a progress bar.
#pragma once

#include <cstdint>

// Asks for the table file and loads its first 2048 numbers (signed 16-bit,
// each stored as v + 32767 modulo 65536) into `table`: 0 on success, 1 when
// no file was chosen, the engine's negative code when the file does not
// hold 2048 such numbers (`table` is then left as it was).
int ReadLinDataFromFile(unsigned short* table);
// Clears the X-FLASH; 1 when the sensor answered within TIMEOUT.
int ClearXFLASH();
// Writes table[(page - 2) x 256 + offset ..] (8 words) to X-FLASH `page` at
// word `offset`, and draws the progress in the MASTER bar graph (which = 1)
// or the SLAVE one (which = 0). 1 when the sensor answered within TIMEOUT.
int WriteXFLASH(unsigned short offset, unsigned short page, const unsigned short* table, unsigned short which);

int CC_BTNWriteXFMA(int panel, int control, int event, void* callbackData, int eventData1,
                    int eventData2);
int CC_BTNWriteXFSL(int panel, int control, int event, void* callbackData, int eventData1,
                    int eventData2);
