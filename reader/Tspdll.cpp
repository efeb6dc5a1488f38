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

// Argument bytes of an entry point: the number in its decorated __stdcall name.
template <typename Result, typename... Args>
constexpr int argumentBytes(reader_binding::EntryPoint<Result (*)(Args...)>*) {
    return static_cast<int>((0 + ... + sizeof(Args)));
}

template <typename Entry>
void resolve(const platform::SharedLibrary& library, const char* name, Entry& entry) {
    // Plain names first; then the decorations a __stdcall export may carry (the compiler's
    // "_name@N", and "name@N" as the GNU linker exports it).
    const std::string bytes = "@" + std::to_string(argumentBytes(static_cast<Entry*>(nullptr)));
    for (const std::string& candidate : {std::string(name), "_" + std::string(name) + bytes,
                                         std::string(name) + bytes}) {
        if (void* address = library.symbol(candidate)) {
            entry.set(address);
            return;
        }
    }
    throw ReaderLoadError("TSPDLL: Не найдена функция: "_w + name + "!", std::string());
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
