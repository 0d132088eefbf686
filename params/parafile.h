// The parameter file's format: the record's three pages as 45 values, one
// frame word a line in a field of 10 characters.
#pragma once

#include <cstdint>

enum { PARA_FILE_VALUES = 45, PARA_FILE_FIELD = 10 };

// The record's pages as the 45 file values, and back (low 16 bits of each).
// Both go through pp, as a frame would.
void ParametersToFileValues(uint32_t values[PARA_FILE_VALUES]);
void FileValuesToParameters(const uint32_t values[PARA_FILE_VALUES]);
