// A reader library for the binding's tests: every entry point except the one named by the
// WITHOUT_<name> definition it is built with, so that a library lacking it can be loaded.
#include "reader/GvreadApi.h"

#define STUB_EXPORT extern "C" GV_EXPORT

#ifndef WITHOUT_gvOpen
STUB_EXPORT int gvOpen(const char*) { return GV_ERROR_FORMAT; }
#endif
#ifndef WITHOUT_gvClose
STUB_EXPORT int gvClose(void) { return GV_OK; }
#endif
#ifndef WITHOUT_gvGetTables
STUB_EXPORT const GvTableId* gvGetTables(void) { return nullptr; }
#endif
#ifndef WITHOUT_gvGetTable
STUB_EXPORT const char* gvGetTable(GvTableId) { return nullptr; }
#endif
#ifndef WITHOUT_gvGetRecords
STUB_EXPORT const char* const* gvGetRecords(GvTableId) { return nullptr; }
#endif
#ifndef WITHOUT_gvGetRecord
STUB_EXPORT const char* gvGetRecord(int) { return nullptr; }
#endif
#ifndef WITHOUT_gvGetCountR
STUB_EXPORT int gvGetCountR(void) { return 0; }
#endif
#ifndef WITHOUT_gvGetCountT
STUB_EXPORT int gvGetCountT(void) { return 0; }
#endif
#ifndef WITHOUT_gvGetTech
STUB_EXPORT const char* gvGetTech(void) { return "stub"; }
#endif
#ifndef WITHOUT_gvSizeBuffer
STUB_EXPORT int gvSizeBuffer(void) { return 0; }
#endif
#ifndef WITHOUT_gvGetError
STUB_EXPORT int gvGetError(void) { return GV_OK; }
#endif
