// Start-up, panels and shutdown.
#pragma once

// Loads the seven panels in their order; 1 when all loaded, 0 at the first
// that fails (those already loaded stay).
int LoadPanels();
void InitGUI();
// The program after the engine has started: panels, variables, the port's
// start-up exchange, the event loop and the teardown. 0 after a normal end,
// -1 when a panel cannot be loaded.
int ProgramMain();

int CC_PANEL(int panel, int event, void* callbackData, int eventData1, int eventData2);
int CC_POPUP(int panel, int event, void* callbackData, int eventData1, int eventData2);
// SIGTERM / SIGINT: the same road as closing the main panel.
void QuitRequestedFromOutside();
