#include "gvread/FileSource.h"

namespace gvread {

std::unique_ptr<FileSource> FileSource::open(const std::string& path) {
    // Shared: the converter reads while the estimating suite may have the file open too. A
    // folder or a device opens but is no price file; the platform refuses them.
    auto file = platform::FileHandle::open(path, platform::FileHandle::Access::Read,
                                           platform::FileHandle::Share::Shared);
    if (!file) return nullptr;
    const auto size = file->size();
    if (!size) return nullptr;
    return std::unique_ptr<FileSource>(new FileSource(std::move(*file), *size));
}

bool FileSource::readAt(std::uint64_t offset, char* buffer, std::size_t length) {
    // A short read means the file became shorter since it was opened.
    return file_.readAt(offset, buffer, length);
}

}  // namespace gvread
