#include "context/installation.h"
#include "platform/executablepath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A path with the separators written as '/': on Windows the paths use the system's '\'.
QString Slashed(const QString& path) {
    return QDir::fromNativeSeparators(path);
}

} // namespace

TEST(InstallationTest, EveryPathLiesInTheProgramFolder) {
    const Installation installation("/opt/zor 27");
    EXPECT_EQ(Slashed(installation.dataFolder()), "/opt/zor 27/Data");
    EXPECT_EQ(Slashed(installation.bootstrapFile()), "/opt/zor 27/Data/ZOR");
    EXPECT_EQ(Slashed(installation.updateFolder()), "/opt/zor 27/tempZOR");
    // Windows names the executable "ZOR 27.exe"; elsewhere it has no extension.
    EXPECT_EQ(Slashed(installation.updateDownload()),
              "/opt/zor 27/tempZOR/ZOR 27" + installation.executableSuffix());
    EXPECT_EQ(Slashed(installation.updateDownloadPart(4321)), "/opt/zor 27/tempZOR/ZOR 27.4321.part");
    EXPECT_EQ(Slashed(installation.updateLock()), "/opt/zor 27/tempZOR/ZOR 27.lock");
    EXPECT_EQ(Slashed(installation.updateScript()), "/opt/zor 27/ZOR 27.bat");
}

TEST(InstallationTest, TheRunningProgramsFolderIsTheExecutablesOwn) {
    EXPECT_EQ(Installation::OfRunningProgram().programFolder(),
              QString::fromStdString(platform::ExecutableDir()));
}

TEST(InstallationTest, APackagedCopyKeepsItsFilesInTheSystemsPlaces) {
    QTemporaryDir root;
    const Installation::SystemPlaces places{root.filePath("usr/lib/zor27"), root.filePath("etc/zor27"),
                                            root.filePath("var/lib/zor27")};
    const Installation packaged = Installation::Locate(places.programFolder, places);
    EXPECT_TRUE(packaged.isPackaged());
    EXPECT_EQ(Slashed(packaged.bootstrapFile()), root.filePath("etc/zor27/ZOR"));
    EXPECT_EQ(Slashed(packaged.dataFolder()), root.filePath("var/lib/zor27"));

    // A bootstrap file beside the executable wins, and any other folder is a folder of its own.
    QDir().mkpath(places.programFolder + "/Data");
    QFile(places.programFolder + "/Data/ZOR").open(QIODevice::WriteOnly);
    const Installation beside = Installation::Locate(places.programFolder, places);
    EXPECT_FALSE(beside.isPackaged());
    EXPECT_EQ(Slashed(beside.bootstrapFile()), places.programFolder + "/Data/ZOR");
    const Installation elsewhere = Installation::Locate(root.filePath("opt/zor"), places);
    EXPECT_FALSE(elsewhere.isPackaged());
    EXPECT_EQ(Slashed(elsewhere.dataFolder()), root.filePath("opt/zor/Data"));
}
