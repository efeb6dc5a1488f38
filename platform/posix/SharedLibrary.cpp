#include "platform/SharedLibrary.h"

#include <cerrno>
#include <dlfcn.h>

namespace platform {

SharedLibrary::~SharedLibrary() { unload(); }

bool SharedLibrary::load(const std::string& path, int& errorCode, std::string& errorText) {
    unload();
    errno = 0;
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) return true;
    errorCode = errno;
    const char* text = ::dlerror();
    errorText = text != nullptr ? text : "";
    return false;
}

void* SharedLibrary::symbol(const std::string& name) const {
    if (handle_ == nullptr) return nullptr;
    return ::dlsym(handle_, name.c_str());
}

void SharedLibrary::unload() {
    if (handle_ != nullptr) {
        ::dlclose(handle_);
        handle_ = nullptr;
    }
}

}  // namespace platform
