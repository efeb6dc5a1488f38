#include "reader/Tspdll.h"

#include <utility>

#include "platform/Desktop.h"
#include "platform/Files.h"
#include "text/CodePages.h"

namespace {

// Shows the busy cursor while the library loads; the arrow comes back on every way out.
class BusyCursor {
public:
    BusyCursor() { platform::setCursor(platform::CursorShape::Busy); }
    ~BusyCursor() { platform::setCursor(platform::CursorShape::Arrow); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

template <typename Function>
void resolve(const platform::SharedLibrary& library, const char* name, Function& entry) {
    void* address = library.symbol(name);
    if (address == nullptr) {
        throw ReaderLoadError("TSPDLL: Не найдена функция: "_w + name + "!", std::string());
    }
    entry = reinterpret_cast<Function>(address);
}

}  // namespace

TSPDLL::TSPDLL() : TSPDLL(platform::programFolder()) {}

TSPDLL::TSPDLL(const std::string& programFolder) : FDescription("TSPDLL") { Load(programFolder); }

TSPDLL::~TSPDLL() { FHandle.unload(); }

std::string TSPDLL::LibraryPathIn(const std::string& programFolder) {
    return platform::joinPath(platform::joinPath(programFolder, "DLL"),
                              std::string("gvread") + platform::kSharedLibrarySuffix);
}

void TSPDLL::Load(const std::string& programFolder) {
    BusyCursor busy;
    FLibraryPath = LibraryPathIn(programFolder);
    if (!platform::fileExists(FLibraryPath)) {
        throw ReaderLoadError("TSPDLL: Библиотека "_w + FLibraryPath + " не найдена!"_w,
                              std::string());
    }
    int errorCode = 0;
    std::string loaderText;
    if (!FHandle.load(FLibraryPath, errorCode, loaderText)) {
        throw ReaderLoadError("TSPDLL: Ошибка при загрузке библиотеки "_w + FLibraryPath +
                                  ". Код ошибки "_w + std::to_string(errorCode),
                              std::move(loaderText));
    }
    // The converter never calls the last four but relies on a complete library.
    resolve(FHandle, "gvOpen", gvOpen);
    resolve(FHandle, "gvClose", gvClose);
    resolve(FHandle, "gvGetTables", gvGetTables);
    resolve(FHandle, "gvGetTable", gvGetTable);
    resolve(FHandle, "gvGetRecords", gvGetRecords);
    resolve(FHandle, "gvGetRecord", gvGetRecord);
    resolve(FHandle, "gvGetCountR", gvGetCountR);
    resolve(FHandle, "gvGetCountT", gvGetCountT);
    resolve(FHandle, "gvGetTech", gvGetTech);
    resolve(FHandle, "gvSizeBuffer", gvSizeBuffer);
    resolve(FHandle, "gvGetError", gvGetError);
}
