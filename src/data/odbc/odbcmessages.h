#pragma once

#include <string>
#include <vector>

// A diagnostic record of the ODBC driver manager or driver without the tags they put before it to
// say who speaks ("[unixODBC][Driver Manager]", "[FreeTDS][SQL Server]", "[Microsoft][ODBC SQL Server
// Driver][SQL Server]"). Only those leading tags go: the message itself, the server's text after
// "[SQL Server]" included, is kept exactly, brackets and all.
std::u16string OdbcMessageWithoutPrefixes(const std::u16string& record);

// The text of an error as the user is shown it: the records' messages joined by a blank, without
// the driver's generic opening failure when a more telling message comes with it.
std::u16string OdbcProviderText(const std::vector<std::u16string>& records);
