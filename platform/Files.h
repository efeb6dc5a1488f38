#pragma once
// File-system services the program uses, in the form the program needs them: paths are byte
// strings used as given (never quoted, never passed to a shell), results are plain bools.
// POSIX implementation; a Win32 one can sit behind the same declarations.
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

inline constexpr char kPathSeparator = '/';

// Folder of the running program file, without a closing separator (the root folder keeps its).
std::string programFolder();

// `folder` + separator + `name`; no separator is doubled, an empty folder gives `name`.
std::string joinPath(const std::string& folder, const std::string& name);

// Folder part of a path (without its closing separator) and the file-name part.
std::string folderOf(const std::string& path);
std::string fileNameOf(const std::string& path);

// True for an existing regular file (a folder is not a file).
bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);

// Copies `from` over `to`, replacing an existing target. False when either side fails.
bool copyFile(const std::string& from, const std::string& to);

bool deleteFile(const std::string& path);

// Creates every missing folder of the chain; true when the folder exists afterwards.
bool createDirectories(const std::string& folder);

// Gives the owner write permission (the read-only attribute of other systems).
bool clearReadOnly(const std::string& path);

// Last-write time in nanoseconds since the epoch.
std::optional<std::int64_t> lastWriteTime(const std::string& path);

}  // namespace platform
