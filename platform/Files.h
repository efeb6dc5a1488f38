#pragma once
// File-system services the program uses, in the form the program needs them: paths are byte
// strings used as given (never quoted, never passed to a shell), results are plain bools.
// POSIX implementation; a Win32 one can sit behind the same declarations.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

inline constexpr char kPathSeparator = '/';

// Folder of the running program file, without a closing separator (the root folder keeps its).
std::string programFolder();

// `folder` + separator + `name`; no separator is doubled, an empty folder gives `name`.
std::string joinPath(const std::string& folder, const std::string& name);

// `folder` joined with each name in turn: the pieces of a path below a folder.
std::string joinPath(const std::string& folder, std::initializer_list<std::string_view> names);

// Folder part of a path (without its closing separator) and the file-name part.
std::string folderOf(const std::string& path);
std::string fileNameOf(const std::string& path);

// True for an existing regular file (a folder is not a file).
bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);

// Copies `from` over `to`, replacing an existing target. False when either side fails.
bool copyFile(const std::string& from, const std::string& to);

bool deleteFile(const std::string& path);

// Moves `from` to `to`, replacing an existing target in one step.
bool renameReplacing(const std::string& from, const std::string& to);

// True when both paths name one existing file (through links or different spellings).
bool sameFile(const std::string& a, const std::string& b);

// A C stream on the file, opened with an fopen mode ("wb", "ab", ...); null on failure.
std::FILE* openStream(const std::string& path, const char* mode);

// Creates every missing folder of the chain; true when the folder exists afterwards.
bool createDirectories(const std::string& folder);

// Gives the owner write permission (the read-only attribute of other systems).
bool clearReadOnly(const std::string& path);

// Last-write time in nanoseconds since the epoch.
std::optional<std::int64_t> lastWriteTime(const std::string& path);

}  // namespace platform
