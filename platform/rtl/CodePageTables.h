// The generated tables of the supported ANSI code pages (CodePageTables.cpp,
// written by scripts/gen-codepages.py).
#pragma once

#include <cstdint>

struct TCodePageTable {
  struct TReverse {
    char16_t Code;
    unsigned char Byte;
  };
  char16_t ToUnicode[256];       // 0xFFFD for a byte the page leaves unassigned
  unsigned char Upper[256];      // identity unless the case partner is in the page
  unsigned char Lower[256];
  unsigned char Letter[256];     // 1 for letters of words (not for lone accents)
  uint16_t SortWeight[256];      // alphabetic order, equal for both cases of a letter
  TReverse FromUnicode[256];     // assigned bytes sorted by code point
  int FromUnicodeCount;
};

extern const TCodePageTable Windows1252Table;
extern const TCodePageTable Windows1250Table;

// The weight of one byte in the alphabetic order of the current code page.
int AnsiSortWeight(char c);
