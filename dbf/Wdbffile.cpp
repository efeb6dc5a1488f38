#include "dbf/Wdbffile.h"

#include "text/CodePages.h"

WDbfFile::WDbfFile() : FDescription("Класс WDbfFile"_w) {}
