#include "programupdate.h"

#include "context/installation.h"
#include "context/programcontext.h"
#include "context/usershell.h"
#include "executableformat.h"
#include "platform/currentprocess.h"
#include "platform/download.h"
#include "platform/filecreateerror.h"
#include "platform/filelock.h"
#include "platform/shellrun.h"
#include "platform/wholefile.h"
#include "replacementscript.h"
#include "updatesource.h"
#include "updateview.h"

#include <QDir>
#include <QFile>

#include <optional>
#include <utility>

const char* const UpdateNotice = "Идёт обновление программы, ПОДОЖДИТЕ...";
const char* const UpdateServerUnreachable = "Сервер обновлений не доступен.\rОбратитесь к администратору.";
const char* const UpdateNotAProgram =
    "Сервер обновлений не доступен: вместо программы получен файл другого вида.\r"
    "Обратитесь к администратору.";
const char* const UpdateCaption = "Уведомление";
#ifdef Q_OS_WIN
const char* const PackagedUpdateRefused =
    "Программа установлена пакетом установщика Windows и не может обновить себя сама.\r"
    "Обратитесь к администратору: нужно установить новую версию пакета ZOR 27.";
#else
const char* const PackagedUpdateRefused =
    "Программа установлена системным пакетом и не может обновить себя сама.\r"
    "Обратитесь к администратору: нужно обновить пакет zor27.";
#endif
const char* const UpdateUnderwayElsewhere = "Обновление программы уже выполняется другой её копией.\r"
                                            "Дождитесь его окончания и запустите программу снова.";

// Marks the view's update as underway, and keeps the installation's lock in the view, for its
// lifetime, unless the update ends as it should (the program ending): an update that fails with an
// error lets the lock go and may be ordered again.
class UpdateGuard {
public:
    explicit UpdateGuard(UpdateView& view) : m_view(view) { m_view.m_updateUnderway = true; }
    ~UpdateGuard() {
        if (m_kept)
            return;
        m_view.m_updateUnderway = false;
        m_view.m_installationLock.reset();
    }
    UpdateGuard(const UpdateGuard&) = delete;
    UpdateGuard& operator=(const UpdateGuard&) = delete;
    void holdLock(platform::FileLock lock) { m_view.m_installationLock = std::move(lock); }
    void keep() { m_kept = true; }

private:
    UpdateView& m_view;
    bool m_kept = false;
};

namespace {

// The platform layer takes paths in UTF-8 on every system.
std::string systemPath(const QString& path) {
    return path.toStdString();
}

enum class Download { Complete, Failed, NotAProgram };

// Downloads into a file of this process's own and gives it the download's name only when it is
// complete and an executable this machine can start, so that the replacement script never finds a
// part of a program, or a web server's page, under that name. A failed download, or one that an
// error ends, leaves no file of its own behind.
Download downloadProgram(const Installation& installation) {
    const QString part = installation.updateDownloadPart(platform::CurrentProcessId());
    Download result = Download::Failed;
    try {
        if (platform::DownloadToFile(systemPath(UpdateUrl()), systemPath(part))) {
            if (ExecutableFormatOfFile(systemPath(part)) != NativeExecutableFormat) {
                result = Download::NotAProgram;
            } else {
                platform::RenameReplacing(systemPath(part), systemPath(installation.updateDownload()));
                return Download::Complete;
            }
        }
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    QFile::remove(part);
    return result;
}

// A batch replacement script of another copy is still at work in the folder: it holds its mark
// open. A mark that a script left behind when it ended is removed here.
bool scriptAtWork(const Installation& installation) {
    const QString marker = installation.updateScriptAtWork();
    if (!QFile::exists(marker))
        return false;
    if (platform::FileHeldOpen(systemPath(marker)))
        return true;
    QFile::remove(marker);
    return false;
}

#ifdef Q_OS_WIN
// The system's code for a file that another process holds open without sharing it.
constexpr int SharingViolation = 32;
#endif

} // namespace

void RunProgramUpdate(UpdateView& view, const ProgramContext& context) {
    // Also reached again from inside this one: the pending events processed below may hold
    // another press of the sign-in button.
    if (view.updateUnderway())
        return;
    UpdateGuard guard(view);
    const Installation& installation = context.installation;

    // A packaged copy's files belong to the package manager: the update is the administrator's.
    if (installation.isPackaged()) {
        guard.keep();
        context.shell.messageBox(QString::fromUtf8(PackagedUpdateRefused), QString::fromUtf8(UpdateCaption),
                                 UserShell::IconInformation);
        context.shell.requestTermination();
        return;
    }

    view.setVersionText(QString::fromUtf8(UpdateNotice));
    context.shell.processPendingEvents();
    QDir(installation.programFolder()).mkdir(QStringLiteral("tempZOR"));

    // Another copy of the program in this folder is updating it: this one ends as after an update,
    // touching no file. The lock of a copy that died has gone with it.
    std::optional<platform::FileLock> lock =
        platform::FileLock::tryAcquire(systemPath(installation.updateLock()));
    if (!lock || scriptAtWork(installation)) {
        guard.keep();
        context.shell.messageBox(QString::fromUtf8(UpdateUnderwayElsewhere), QString::fromUtf8(UpdateCaption),
                                 UserShell::IconInformation);
        context.shell.requestTermination();
        return;
    }
    guard.holdLock(std::move(*lock));

    const Download download = downloadProgram(installation);
    if (download != Download::Complete) {
        guard.keep();
        context.shell.messageBox(QString::fromUtf8(download == Download::NotAProgram
                                                       ? UpdateNotAProgram
                                                       : UpdateServerUnreachable),
                                 QString::fromUtf8(UpdateCaption), UserShell::IconInformation);
        context.shell.requestTermination();
        return;
    }

#ifdef Q_OS_WIN
    const QString script = installation.updateScript();
    const std::string text = GuardedReplacementScript();
#else
    const QString script = installation.updateShellScript();
    const std::string text = ShellReplacementScript(platform::CurrentProcessId());
#endif
    try {
        platform::WriteWholeFile(systemPath(script), text);
    } catch (const platform::FileCreateError& error) {
        // The command interpreter of a script that has just finished may still hold the file.
#ifdef Q_OS_WIN
        if (error.code() != SharingViolation)
            throw;
#else
        throw;
#endif
        QFile::remove(installation.updateDownload());
        guard.keep();
        context.shell.messageBox(QString::fromUtf8(UpdateUnderwayElsewhere), QString::fromUtf8(UpdateCaption),
                                 UserShell::IconInformation);
        context.shell.requestTermination();
        return;
    }
    // The program folder as working directory: the script finds everything relative to it.
    platform::ShellRunHidden(systemPath(script), systemPath(installation.programFolder()));
    guard.keep();
    view.enableQuitTimer();
}

void RemoveLeftoverScripts(const Installation& installation) {
    QFile::remove(installation.updateScript());
#ifndef Q_OS_WIN
    QFile::remove(installation.updateShellScript());
#endif
}
