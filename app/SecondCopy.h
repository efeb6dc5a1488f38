#pragma once
// The single-instance rule of the program entry, shared by the Qt and the Windows entries: the
// name of the guard and the message a second copy shows before it ends with status 1.
#include <string>

namespace app {

inline constexpr const char* kInstanceGuardName = "Konvika";
inline constexpr int kSecondCopyExitStatus = 1;

// "Программа перевода цен из формата Гарвена в ОРН уже запущена!", Windows-1251.
std::string AlreadyRunningMessage();

}  // namespace app
