#pragma once

// Hands the program's callback table to the engine; before any LoadPanel.
void RegisterProgramCallbacks();
