/* Entry points of the reader library "DLL\gvread.dll" (DLL/gvread.so on Linux): the C types
   shared by the binding that loads the library (reader/Tspdll) and by our own development
   library (gvread/). Texts are Windows-1251, ended by a zero byte. Everything returned stays
   owned by the library. */
#ifndef KONVIKA_READER_GVREAD_API_H
#define KONVIKA_READER_GVREAD_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* How the development library (gvread/) exports its entry points; the binding calls either
   convention, so a library may be built __stdcall (GV_STDCALL defined) as well as __cdecl. */
#if defined(_WIN32)
#define GV_EXPORT __declspec(dllexport)
#else
#define GV_EXPORT __attribute__((visibility("default")))
#endif
#if defined(GV_STDCALL) && defined(_WIN32)
#define GV_CALL __stdcall
#else
#define GV_CALL
#endif

/* Opaque identifier of one table of the open file, as handed out by gvGetTables. */
typedef uint32_t GvTableId;

/* Codes returned by gvOpen, gvClose and gvGetError; 0 is success. */
enum {
    GV_OK = 0,
    GV_ERROR_OPEN = 1,     /* the file cannot be opened or read */
    GV_ERROR_FORMAT = 2,   /* the file is not a source price file */
    GV_ERROR_NOT_OPEN = 3, /* called before a successful gvOpen or after gvClose */
    GV_ERROR_MEMORY = 4,   /* memory ran out */
    GV_ERROR_RANGE = 5     /* an identifier or index outside the file's tables or records */
};

/* Opens a source price file; an open file is closed first. */
typedef int (*GvOpenFn)(const char* path);
/* Ends the work with the file; every array handed out becomes invalid. */
typedef int (*GvCloseFn)(void);
/* The gvGetCountT identifiers of the file's tables in file order; valid until gvClose. */
typedef const GvTableId* (*GvGetTablesFn)(void);
/* Title of a table, valid until gvClose; null for an identifier that is not the file's. */
typedef const char* (*GvGetTableFn)(GvTableId table);
/* The gvGetCountR record texts of a table (followed by one null pointer); valid until the next
   gvGetRecords or gvClose. Null on an error, which gvGetError then reports. */
typedef const char* const* (*GvGetRecordsFn)(GvTableId table);
/* Record `index` (from 0) of the last gvGetRecords; null outside 0 .. gvGetCountR - 1. */
typedef const char* (*GvGetRecordFn)(int index);
/* Number of records of the last successful gvGetRecords (0 after a failed one). */
typedef int (*GvGetCountRFn)(void);
/* Number of tables of the open file (0 when none is open). */
typedef int (*GvGetCountTFn)(void);
/* One line naming the library and the source format it reads. */
typedef const char* (*GvGetTechFn)(void);
/* Bytes the library holds for the current record array (texts and pointers). */
typedef int (*GvSizeBufferFn)(void);
/* Code of the last gvGetTables or gvGetRecords. */
typedef int (*GvGetErrorFn)(void);

#ifdef __cplusplus
}
#endif

#endif
