// Parameter pages between the record and the sensor's RAM and EEPROM; the
// GET / SEND buttons and the source selection.
#pragma once

enum ParaSource { SOURCE_RAM = 1, SOURCE_EEPROM = 2, SOURCE_FILE = 3 };

// The target of GET and SEND, with its three buttons.
void SelectSource(int source);

// Reads one page from the sensor into the record (the file source reads
// nothing here: its dialog ran before); after page 2 the panels show the
// record, unless `refreshPanels` is false (a file load that did not happen
// must not replace what the user typed).
void PushGET(unsigned short source, unsigned short page, bool refreshPanels = true);

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
