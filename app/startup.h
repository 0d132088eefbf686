// Start-up, panels and shutdown.
#pragma once

// Loads the seven panels in their order; 1 when all loaded, 0 at the first
// that fails (those already loaded stay).
int LoadPanels();
void InitGUI();
// The program after the engine has started: StartProgram, the event loop,
// ShutDownProgram. 0 after a normal end, -1 when a panel cannot be loaded.
int ProgramMain();
// Panels, variables, the port's start-up exchange, the layout, the main
// panel shown: everything up to the event loop. 0 when a panel cannot be
// loaded (those already loaded stay), else 1.
int StartProgram();
// After the event loop: the port closed (again) and the panels discarded.
void ShutDownProgram();

int CC_PANEL(int panel, int event, void* callbackData, int eventData1, int eventData2);
int CC_POPUP(int panel, int event, void* callbackData, int eventData1, int eventData2);
// SIGTERM / SIGINT: the same road as closing the main panel.
void QuitRequestedFromOutside();
