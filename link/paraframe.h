// Parameter pages between the record and the sensor's RAM and EEPROM; the
// GET / SEND buttons and the source selection.
#pragma once

enum ParaSource { SOURCE_RAM = 1, SOURCE_EEPROM = 2, SOURCE_FILE = 3 };

void PushGET(unsigned short source, unsigned short page);

int CC_BTNGet(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
int CC_BTNSend(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
int CC_RBTRam(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
int CC_RBTEeprom(int panel, int control, int event, void* callbackData, int eventData1,
                 int eventData2);
int CC_RBTFile(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
