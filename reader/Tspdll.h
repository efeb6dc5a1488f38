#pragma once
// Binding of the reader library "DLL/gvread" beside the program: loads it when constructed,
// holds its eleven entry points and frees it when destroyed. The converter is its only user;
// it calls the entry points directly, safely for __cdecl and __stdcall libraries alike, and
// each is looked up by its plain name first, then by its decorated __stdcall names
// ("_gvOpen@4", "gvOpen@4"). A library that cannot be loaded throws ReaderLoadError.
#include <string>

#include "platform/SharedLibrary.h"
#include "reader/EntryPoint.h"
#include "reader/GvreadApi.h"
#include "reader/ReaderLoadError.h"

class TSPDLL {
public:
    // Loads the library from the folder of the running program.
    TSPDLL();
    // Loads the library "DLL" / "gvread" + the platform's library suffix under the folder.
    explicit TSPDLL(const std::string& programFolder);
    ~TSPDLL();
    TSPDLL(const TSPDLL&) = delete;
    TSPDLL& operator=(const TSPDLL&) = delete;

    const std::string& LibraryPath() const { return FLibraryPath; }

    // Path of the library under a program folder.
    static std::string LibraryPathIn(const std::string& programFolder);

private:
    std::string FDescription;
    platform::SharedLibrary FHandle;
    std::string FLibraryPath;

public:
    // Entry points in the order they are looked up; all set once constructed.
    reader_binding::EntryPoint<GvOpenFn> gvOpen;
    reader_binding::EntryPoint<GvCloseFn> gvClose;
    reader_binding::EntryPoint<GvGetTablesFn> gvGetTables;
    reader_binding::EntryPoint<GvGetTableFn> gvGetTable;
    reader_binding::EntryPoint<GvGetRecordsFn> gvGetRecords;
    reader_binding::EntryPoint<GvGetRecordFn> gvGetRecord;
    reader_binding::EntryPoint<GvGetCountRFn> gvGetCountR;
    reader_binding::EntryPoint<GvGetCountTFn> gvGetCountT;
    reader_binding::EntryPoint<GvGetTechFn> gvGetTech;
    reader_binding::EntryPoint<GvSizeBufferFn> gvSizeBuffer;
    reader_binding::EntryPoint<GvGetErrorFn> gvGetError;

private:
    void Load(const std::string& programFolder);
};
