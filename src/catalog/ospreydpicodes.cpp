#include "catalog/ospreydpicodes.h"

namespace {
struct Entry
{
    BYTE code;
    int hundreds;
};

// code : DPI in hundreds.
const Entry kTableA[] = {
    {4, 2},    {6, 3},    {9, 4},    {11, 5},   {13, 6},   {15, 7},   {18, 8},   {20, 9},
    {22, 10},  {24, 11},  {27, 12},  {29, 13},  {31, 14},  {33, 15},  {36, 16},  {38, 17},
    {40, 18},  {43, 19},  {45, 20},  {47, 21},  {49, 22},  {52, 23},  {54, 24},  {56, 25},
    {58, 26},  {61, 27},  {63, 28},  {65, 29},  {67, 30},  {70, 31},  {72, 32},  {74, 33},
    {77, 34},  {79, 35},  {81, 36},  {83, 37},  {86, 38},  {88, 39},  {90, 40},  {92, 41},
    {97, 43},  {99, 44},  {102, 45}, {104, 46}, {106, 47}, {108, 48}, {111, 49}, {113, 50},
    {115, 51}, {117, 52}, {120, 53}, {122, 54}, {124, 55}, {127, 56}, {129, 57}, {131, 58},
    {133, 59}, {135, 60}, {138, 61}, {140, 62},
};

// Codes of 200, 300, ... 6200 DPI.
const BYTE kTableB[] = {4,   6,   9,   11,  14,  16,  18,  21,  23,  25,  27,  29,  32,
                        34,  36,  39,  41,  43,  46,  48,  50,  52,  55,  57,  59,  62,
                        64,  66,  69,  72,  74,  77,  78,  81,  84,  85,  88,  91,  93,
                        95,  98,  100, 102, 105, 107, 109, 112, 114, 116, 119, 121, 123,
                        126, 128, 130, 133, 135, 137, 140, 142, 145};
} // namespace

namespace OspreyDpiCodes {

int decodeTableA(int code)
{
    for (const Entry &e : kTableA)
        if (e.code == code)
            return e.hundreds * 100;
    return 0;
}

int decodeTableB(int code)
{
    int i = 0;
    for (BYTE c : kTableB) {
        if (c == code)
            return 200 + 100 * i;
        ++i;
    }
    return 0;
}

bool encodeTableA(int dpi, BYTE &code)
{
    for (const Entry &e : kTableA) {
        if (e.hundreds * 100 == dpi) {
            code = e.code;
            return true;
        }
    }
    return false;
}

bool encodeTableB(int dpi, BYTE &code)
{
    if (dpi < 200 || dpi % 100 != 0)
        return false;
    const int i = (dpi - 200) / 100;
    if (i >= int(sizeof(kTableB)))
        return false;
    code = kTableB[i];
    return true;
}

} // namespace OspreyDpiCodes
