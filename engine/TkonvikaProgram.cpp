// The program's converter, in a unit of its own: only the program, whose shell supplies
// engine::CreateProgramLog, links it; tests and tools hand the converter their own log.
#include "engine/Tkonvika.h"
#include "platform/Files.h"

TKonvika::TKonvika() : TKonvika(platform::programFolder(), engine::CreateProgramLog()) {}
