// The parameter file on the panels' side: the dialogs of SEND and GET, and
// the save, which reads the panels first.
#pragma once

// The status text of a failed save: an old file is kept unless there was
// none or writing it in place failed.
const char* SaveFailedText(bool hadOldFile, int error);
// Reads the panels into the record and writes its pages to file_name.
// 1 when the file was written; on failure the old file stays whole and the
// status line says so.
int SendParaToFile();
// Asks for a file and, when its first 45 numbers read cleanly, puts its
// pages into the record and returns true. A file that cannot be read leaves
// the record as it was and says so in szStatus; a cancelled dialog says
// nothing.
bool ReadParaFromFile();
// SEND's branch for the file target: save dialog, overwrite question, save.
void SaveParaFileDialog();
