#include "tempinstallation.h"

#include "contractdb.h"
#include "signin/bootstrapfile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace testsupport {

TempInstallation::TempInstallation() : m_installation(QDir::toNativeSeparators(m_folder.path())) {
    EXPECT_TRUE(m_folder.isValid());
    QDir().mkpath(dataFolder());
}

QString TempInstallation::addDatabase(const QString& name, bool withDemoData) {
    return BuildContractDb(dataFolder(), withDemoData, name);
}

void TempInstallation::writeBootstrapFile(const QString& user, const QString& password,
                                          const QString& database, const QString& server) {
    QFile file(m_installation.bootstrapFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(EncodeFirstConnectInfo({user, password, database, server},
                                      [] { return char(QRandomGenerator::global()->bounded(256)); }));
}

} // namespace testsupport
