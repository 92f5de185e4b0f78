#pragma once
// <winspool.h> without its ANSI/wide macros: EnumPrinters, OpenPrinter, StartDocPrinter and
// GetPrinterData would otherwise rename the printer link's methods of the same names. The wide
// functions are called by their own names (EnumPrintersW ...).

#include <windows.h>
#include <winspool.h>

#undef EnumPrinters
#undef OpenPrinter
#undef StartDocPrinter
#undef GetPrinterData
