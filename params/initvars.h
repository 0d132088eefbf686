#pragma once

// Start values of the program-wide state; runs once after the panels are
// loaded and proj_dir is known, before the port opens.
void InitVars();
// The record's defaults (header and the three pages).
void DefaultParameters();
