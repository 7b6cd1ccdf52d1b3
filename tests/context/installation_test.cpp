#include "context/installation.h"
#include "platform/executablepath.h"

#include <gtest/gtest.h>

TEST(InstallationTest, EveryPathLiesInTheProgramFolder) {
    const Installation installation("/opt/zor 27");
    EXPECT_EQ(installation.dataFolder(), "/opt/zor 27/Data");
    EXPECT_EQ(installation.bootstrapFile(), "/opt/zor 27/Data/ZOR");
    EXPECT_EQ(installation.updateFolder(), "/opt/zor 27/tempZOR");
    EXPECT_EQ(installation.updateDownload(), "/opt/zor 27/tempZOR/ZOR 27.exe");
    EXPECT_EQ(installation.updateScript(), "/opt/zor 27/ZOR 27.bat");
}

TEST(InstallationTest, TheRunningProgramsFolderIsTheExecutablesOwn) {
    EXPECT_EQ(Installation::OfRunningProgram().programFolder(),
              QString::fromStdString(platform::ExecutableDir()));
}
