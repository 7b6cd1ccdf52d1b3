#pragma once

#include "context/installation.h"

#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A program folder of its own in a temporary folder, removed with the object: Data/ with the
// bootstrap file and contract databases, as an installation has them.
class TempInstallation {
public:
    TempInstallation();

    const Installation& installation() const { return m_installation; }
    QString dataFolder() const { return m_installation.dataFolder(); }

    // Builds a contract database in Data/ and returns its path.
    QString addDatabase(const QString& name = "contract.db", bool withDemoData = true);
    // Writes Data/ZOR naming this account, database and server ("embedded" for Data/).
    void writeBootstrapFile(const QString& user, const QString& password, const QString& database,
                            const QString& server = "embedded");

private:
    QTemporaryDir m_folder;
    Installation m_installation;
};

} // namespace testsupport
