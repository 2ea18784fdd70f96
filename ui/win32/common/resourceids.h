#pragma once
// Resource numbers shared by quendal.rc and the code that loads them. Plain
// defines: the resource compiler reads this file too.

#define IDI_QUENDAL 1
// The circuit picture made for a DPI is the bitmap IDB_CIRCUIT_AT_DPI + DPI.
#define IDB_CIRCUIT_AT_DPI 1000
