#pragma once

// Start values of the program-wide state, the title strip and the first
// read of the panels; runs once after the panels are loaded and proj_dir is
// known, before the port opens.
void InitVars();
