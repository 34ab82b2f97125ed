#pragma once
// The DPI code tables of the Osprey family's table-coded models. A stage is stored as one code
// byte (the high byte is 0):
//   table A (Swift and unknown models): 60 codes for 200..6200 DPI in hundreds; 4200 DPI has
//           no code (its code went to 4900 DPI).
//   table B (Wren, Lark, Heron): 61 codes for 200..6200 DPI in steps of 100.

#include "common/qktypes.h"

namespace OspreyDpiCodes {
// DPI of a code; 0 when the table has no such code.
int decodeTableA(int code);
int decodeTableB(int code);
// The code of a DPI value; false (code untouched) when the table has no code for it.
bool encodeTableA(int dpi, BYTE &code);
bool encodeTableB(int dpi, BYTE &code);
} // namespace OspreyDpiCodes
