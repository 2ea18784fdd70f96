#pragma once
// Resource numbers shared by quendal.rc and the code that loads them. Plain
// defines: the resource compiler reads this file too.

#define IDI_QUENDAL 1
#define IDR_CIRCUIT 101
