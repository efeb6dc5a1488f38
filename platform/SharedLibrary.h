#pragma once
// A dynamic library loaded at run time and its entry points looked up by name.
#include <string>

namespace platform {

// "gvread" + this suffix is the file name of a library on this platform.
#ifdef _WIN32
inline constexpr const char* kSharedLibrarySuffix = ".dll";
#else
inline constexpr const char* kSharedLibrarySuffix = ".so";
#endif

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads the library; on failure `errorCode` is the system's last error (Windows:
    // GetLastError of the load; POSIX: errno, often 0) and `errorText` the loader's own words.
    bool load(const std::string& path, int& errorCode, std::string& errorText);
    // Address of an exported entry point, or null.
    void* symbol(const std::string& name) const;
    void unload();
    bool isLoaded() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;  // dlopen handle or HMODULE
};

}  // namespace platform
