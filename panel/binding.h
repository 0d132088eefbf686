// Moves the parameter record to and from the settings panels in bulk and
// derives what depends on it (control states, threshold lines, the empty
// bars).
#pragma once

#include <cstdint>

void GetPanelValues();
void SetPanelValues();

// The control states a mode decides, for a mode value from the record or a
// drop-down: the p-value editor of one sensor page, the teach editors, the
// tolerance editors of page 0, the max/min indicators and RESET of the main
// panel.
void ShowPValueLock(int sensorPanel, int pvalEditor, uint16_t pmode);
void ShowTeachLock(uint16_t evalmode);
void ShowToleranceLock(uint16_t hwmode);
void ShowMaxMin(uint16_t anamode);
