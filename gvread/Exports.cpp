// The entry points of the development reader library, with C linkage, over one Reader. The
// caller is single-threaded (the converter), so one shared state is enough.
#include <type_traits>

#include "gvread/Reader.h"
#include "reader/GvreadApi.h"

// A .def file names the exports of the __stdcall builds, with or without decoration.
#if defined(GV_DEF_FILE_EXPORTS)
#define GVREAD_EXPORT extern "C"
#else
#define GVREAD_EXPORT extern "C" GV_EXPORT
#endif

namespace {

gvread::Reader& reader() {
    static gvread::Reader instance;
    return instance;
}

constexpr const char* kTech = "gvread 1.0: development reader of GARVENA 1 source price files";

}  // namespace

GVREAD_EXPORT int GV_CALL gvOpen(const char* path) { return reader().open(path); }
GVREAD_EXPORT int GV_CALL gvClose(void) { return reader().close(); }
GVREAD_EXPORT const GvTableId* GV_CALL gvGetTables(void) { return reader().tables(); }
GVREAD_EXPORT const char* GV_CALL gvGetTable(GvTableId table) { return reader().tableTitle(table); }
GVREAD_EXPORT const char* const* GV_CALL gvGetRecords(GvTableId table) { return reader().records(table); }
GVREAD_EXPORT const char* GV_CALL gvGetRecord(int index) { return reader().record(index); }
GVREAD_EXPORT int GV_CALL gvGetCountR(void) { return reader().recordCount(); }
GVREAD_EXPORT int GV_CALL gvGetCountT(void) { return reader().tableCount(); }
GVREAD_EXPORT const char* GV_CALL gvGetTech(void) { return kTech; }
GVREAD_EXPORT int GV_CALL gvSizeBuffer(void) { return reader().heldBytes(); }
GVREAD_EXPORT int GV_CALL gvGetError(void) { return reader().lastError(); }

// The binding calls the looked-up addresses as these types; keep both sides in step.
#if !defined(GV_STDCALL)
static_assert(std::is_same_v<decltype(&gvOpen), GvOpenFn>);
static_assert(std::is_same_v<decltype(&gvClose), GvCloseFn>);
static_assert(std::is_same_v<decltype(&gvGetTables), GvGetTablesFn>);
static_assert(std::is_same_v<decltype(&gvGetTable), GvGetTableFn>);
static_assert(std::is_same_v<decltype(&gvGetRecords), GvGetRecordsFn>);
static_assert(std::is_same_v<decltype(&gvGetRecord), GvGetRecordFn>);
static_assert(std::is_same_v<decltype(&gvGetCountR), GvGetCountRFn>);
static_assert(std::is_same_v<decltype(&gvGetCountT), GvGetCountTFn>);
static_assert(std::is_same_v<decltype(&gvGetTech), GvGetTechFn>);
static_assert(std::is_same_v<decltype(&gvSizeBuffer), GvSizeBufferFn>);
static_assert(std::is_same_v<decltype(&gvGetError), GvGetErrorFn>);
#endif
