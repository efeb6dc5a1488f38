#include "units/Wnormbaseinfo.h"

#include "text/CodePages.h"

namespace {
const char kMG419[] = "MG419";
}

WNormBaseInfo::WNormBaseInfo() : FDescription("Класс WNormBaseInfo"_w) {}

bool WNormBaseInfo::IsMG419(const std::string& code) const { return code == kMG419; }
