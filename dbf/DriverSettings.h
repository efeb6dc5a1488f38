#pragma once
// Parameters of the engine's dBASE driver for this run, as the program entry sets them
// ("LANGDRIVER=DBWINUS0" for the driver "DBASE"). Our engine stores text byte for byte
// whatever the setting, so the parameters are checked and remembered, nothing more; an unknown
// driver or a line that is not NAME=VALUE raises dbf::EngineError.
#include <string>
#include <vector>

namespace dbf {

void setDriverParameters(const std::string& driver, const std::vector<std::string>& lines);

// The value last set for a parameter of the driver ("" when it was never set).
std::string driverParameter(const std::string& driver, const std::string& name);

}  // namespace dbf
