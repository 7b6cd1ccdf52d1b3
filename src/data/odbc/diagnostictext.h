#pragma once

#include <QString>
#include <QStringList>

// A diagnostic record of the ODBC driver manager or driver without the tags they put before it to
// say who speaks ("[unixODBC][Driver Manager]", "[FreeTDS][SQL Server]", "[Microsoft][ODBC SQL Server
// Driver][SQL Server]"). Only those leading tags go: the message itself, the server's text after
// "[SQL Server]" included, is kept exactly, brackets and all.
QString WithoutDriverPrefixes(const QString& record);

// The text of an error as the user is shown it: the records' messages joined by a blank, without
// the driver's generic opening failure when a more telling message comes with it.
QString ProviderText(const QStringList& records);
