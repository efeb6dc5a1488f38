#include "units/Wedizm.h"

#include "platform/Files.h"
#include "text/CodePages.h"
#include "text/Wastring.h"
#include "units/Wnormbaseinfo.h"

namespace {
const char kMG419Table[] = "Ei2.dbf";
const char kOtherBasesTable[] = "Ei1.dbf";
const char kSpareFolder[] = "DOP";
}  // namespace

WEdIzm::WEdIzm(const std::string& baseCode, const std::string& firstUnitsDir,
               const std::string& secondUnitsDir)
    : FDescription("Класс для работы с единицами измерения"_w),
      FBaseCode(baseCode),
      FFirstUnitsDir(firstUnitsDir),
      FSecondUnitsDir(secondUnitsDir) {}

std::string WEdIzm::GetFileName() const {
    const WNormBaseInfo baseInfo;
    const text::WString str;
    const std::string name = baseInfo.IsMG419(FBaseCode) ? kMG419Table : kOtherBasesTable;

    // An empty folder stays empty, so the bare name is looked for in the current folder.
    const std::string first = str.AddBackslash(FFirstUnitsDir) + name;
    if (platform::fileExists(first)) return first;
    return str.AddBackslash(FSecondUnitsDir) + kSpareFolder + text::kFolderSeparator + name;
}
