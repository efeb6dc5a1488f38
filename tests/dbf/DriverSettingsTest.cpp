// The dBASE driver's parameters as the program entry sets them.
#include <gtest/gtest.h>

#include "dbf/DriverSettings.h"
#include "dbf/EngineError.h"

TEST(DriverSettings, LanguageDriverOfTheDbaseDriverIsRemembered) {
    dbf::setDriverParameters("DBASE", {"LANGDRIVER=DBWINUS0"});
    EXPECT_EQ(dbf::driverParameter("DBASE", "LANGDRIVER"), "DBWINUS0");
    EXPECT_EQ(dbf::driverParameter("dbase", "langdriver"), "DBWINUS0");
    EXPECT_EQ(dbf::driverParameter("DBASE", "LEVEL"), "");
}

TEST(DriverSettings, UnknownDriverOrMalformedLineRaisesAndChangesNothing) {
    dbf::setDriverParameters("DBASE", {"LANGDRIVER=DBWINUS0"});
    EXPECT_THROW(dbf::setDriverParameters("PARADOX", {"LANGDRIVER=X"}), dbf::EngineError);
    EXPECT_THROW(dbf::setDriverParameters("DBASE", {"LEVEL=7", "LANGDRIVER"}), dbf::EngineError);
    EXPECT_THROW(dbf::setDriverParameters("DBASE", {"=X"}), dbf::EngineError);
    EXPECT_EQ(dbf::driverParameter("DBASE", "LEVEL"), "");
    EXPECT_EQ(dbf::driverParameter("DBASE", "LANGDRIVER"), "DBWINUS0");
}
