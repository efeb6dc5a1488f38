#pragma once
// Binding of the reader library "DLL/gvread" beside the program: loads it when constructed,
// holds its eleven entry points and frees it when destroyed. The converter is its only user;
// it calls the entry pointers directly. A library that cannot be loaded throws ReaderLoadError.
#include <string>

#include "platform/SharedLibrary.h"
#include "reader/GvreadApi.h"
#include "reader/ReaderLoadError.h"

class TSPDLL {
public:
    // Loads the library from the folder of the running program.
    TSPDLL();
    // Loads "<programFolder>/DLL/gvread" + the platform's library suffix.
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
    // Entry points in the order they are looked up; never null once constructed.
    GvOpenFn gvOpen = nullptr;
    GvCloseFn gvClose = nullptr;
    GvGetTablesFn gvGetTables = nullptr;
    GvGetTableFn gvGetTable = nullptr;
    GvGetRecordsFn gvGetRecords = nullptr;
    GvGetRecordFn gvGetRecord = nullptr;
    GvGetCountRFn gvGetCountR = nullptr;
    GvGetCountTFn gvGetCountT = nullptr;
    GvGetTechFn gvGetTech = nullptr;
    GvSizeBufferFn gvSizeBuffer = nullptr;
    GvGetErrorFn gvGetError = nullptr;

private:
    void Load(const std::string& programFolder);
};
