// The parameter record's defaults, its repairs, and its pages as the 15
// data words of a frame.
#pragma once

#include <cstdint>

// The record's defaults (header and the three pages).
void DefaultParameters();
// Replaces out-of-range fields with their repair values (not always the
// nearest valid value: a pvalA of 1001 becomes 500).
void RepairParameters(uint16_t virtPixels);

// Page 0, 1 or 2 of the record into pp[0..14] and back; a 32-bit field takes
// two words, low half first. Any other page number changes nothing.
void CopyVarsToPP(unsigned short page);
void CopyPPtoVars(unsigned short page);
