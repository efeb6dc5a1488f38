#pragma once
// A dynamic library loaded at run time and its entry points looked up by name.
#include <string>

namespace platform {

// "gvread" + this suffix is the file name of a library on this platform.
inline constexpr const char* kSharedLibrarySuffix = ".so";

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads the library; on failure `errorCode` is the system's last error (0 when there is
    // none) and `errorText` the loader's own explanation.
    bool load(const std::string& path, int& errorCode, std::string& errorText);
    // Address of an exported entry point, or null.
    void* symbol(const std::string& name) const;
    void unload();
    bool isLoaded() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;
};

}  // namespace platform
