// The real program, told by ZOR27_EXIT_WHEN_SIGNIN_SHOWN to end once its sign-in dialog has been
// painted (what the start-up benchmark times), in a temporary installation of its own.
#include "support/tempinstallation.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    bool ended = false;
    int code = -1;
    QByteArray output;
};

// The program copied into the installation, started there on the offscreen platform.
ProgramRun StartProgram(const testsupport::TempInstallation& install, const QString& probe, int waitMs) {
    const QString program = install.installation().programFolder() + QStringLiteral("/ZOR 27");
    QFile::remove(program);
    if (!QFile::copy(QStringLiteral(ZOR27_PROGRAM), program))
        return {};
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    if (probe.isNull())
        environment.remove("ZOR27_EXIT_WHEN_SIGNIN_SHOWN");
    else
        environment.insert("ZOR27_EXIT_WHEN_SIGNIN_SHOWN", probe);
    process.setProcessEnvironment(environment);
    process.start(program, {});
    ProgramRun run;
    run.ended = process.waitForFinished(waitMs);
    if (!run.ended) {
        process.kill();
        process.waitForFinished();
    }
    run.code = process.exitCode();
    run.output = process.readAllStandardOutput();
    run.output.replace("\r\n", "\n"); // Windows ends the line with CR LF
    return run;
}

} // namespace

TEST(StartupProbeTest, TheProgramEndsOnceItsSignInDialogIsShown) {
    testsupport::TempInstallation install;
    const ProgramRun run = StartProgram(install, "1", 10000);
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.output.toStdString(), "sign-in shown\n");
}

// Without the variable (or with another value) the dialog stays and waits for the user.
TEST(StartupProbeTest, WithoutTheVariableTheDialogWaits) {
    for (const QString& probe : {QString(), QStringLiteral("0")}) {
        testsupport::TempInstallation install;
        const ProgramRun run = StartProgram(install, probe, 1500);
        EXPECT_FALSE(run.ended) << probe.toStdString();
        EXPECT_EQ(run.output.toStdString(), "");
    }
}
