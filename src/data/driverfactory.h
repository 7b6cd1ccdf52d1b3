#pragma once

#include "driver.h"

#include <memory>

// The engine for a connection string's pairs: the embedded engine when Data Source is "embedded"
// (without regard to case), looking for plain file names in databaseFolder; the SQL Server driver
// otherwise. Nothing is opened here.
std::unique_ptr<Driver> CreateDriver(const ConnectionPairs& settings, const QString& databaseFolder);
