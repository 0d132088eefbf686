// The parameter file: the record's three pages, one frame word a line.
#pragma once

#include <cstdint>

enum { PARA_FILE_VALUES = 45, PARA_FILE_FIELD = 10 };

// Reads the panels into the record and writes its pages to file_name.
// 1 when the file was written; on failure the old file stays whole and the
// status line says so.
int SendParaToFile();
// Asks for a file and, when its first 45 numbers read cleanly, puts its
// pages into the record. A file that cannot be read leaves the record as it
// was and says so in szStatus.
void ReadParaFromFile();
// SEND's branch for the file target: save dialog, overwrite question, save.
void SaveParaFileDialog();

// The record's pages as the 45 file values, and back (low 16 bits of each).
void ParametersToFileValues(uint32_t values[PARA_FILE_VALUES]);
void FileValuesToParameters(const uint32_t values[PARA_FILE_VALUES]);
