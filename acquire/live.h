// The live frame and the RUN loop built on it.
#pragma once

// One live request; 1 when a live frame arrived within TIMEOUT (its words
// are left in pp), 0 otherwise (stop_flag raised).
int PushGETRAW();
// A live request carrying page 0 of the record, as the loops send it; the
// count written.
int SendLiveRequest();
// Spreads the sixteen live words of pp over the live variables.
void CopyPPtoRAWVars();
// The RUN loop; returns when the run has ended.
void PushRUN();

int CC_BTNRun(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
int CC_BTNStop(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
