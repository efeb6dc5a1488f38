#pragma once
// File-system services the program uses, in the form the program needs them: paths are byte
// strings used as given (never quoted, never passed to a shell), results are plain bools.
// Paths are Windows-1251 text; the Win32 implementation turns them into UTF-16 for the wide
// system calls, the POSIX one hands the bytes on unchanged.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The separator of this system; on Windows "/" separates as well.
bool isPathSeparator(char c);

// Folder of the running program file, without a closing separator (the root folder keeps its).
// Throws ProgramError when the folder's name cannot be written in Windows-1251.
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

// Clears the read-only attribute (POSIX: gives the owner write permission).
bool clearReadOnly(const std::string& path);

// Last-write time in nanoseconds since 1970 (Windows keeps it to 100 ns).
std::optional<std::int64_t> lastWriteTime(const std::string& path);

}  // namespace platform
