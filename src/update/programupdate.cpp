#include "programupdate.h"

#include "context/installation.h"
#include "context/programcontext.h"
#include "context/usershell.h"
#include "platform/currentprocess.h"
#include "platform/download.h"
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

// Downloads into a file of this process's own and gives it the download's name only when it is
// complete, so that the replacement script never finds a part of a program under that name. A
// failed download, or one that an error ends, leaves no file of its own behind.
bool downloadProgram(const Installation& installation) {
    const QString part = installation.updateDownloadPart(platform::CurrentProcessId());
    try {
        if (platform::DownloadToFile(systemPath(UpdateUrl()), systemPath(part))) {
            platform::RenameReplacing(systemPath(part), systemPath(installation.updateDownload()));
            return true;
        }
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    QFile::remove(part);
    return false;
}

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
    if (!lock) {
        guard.keep();
        context.shell.messageBox(QString::fromUtf8(UpdateUnderwayElsewhere), QString::fromUtf8(UpdateCaption),
                                 UserShell::IconInformation);
        context.shell.requestTermination();
        return;
    }
    guard.holdLock(std::move(*lock));

    if (!downloadProgram(installation)) {
        guard.keep();
        context.shell.messageBox(QString::fromUtf8(UpdateServerUnreachable), QString::fromUtf8(UpdateCaption),
                                 UserShell::IconInformation);
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
    platform::WriteWholeFile(systemPath(script), text);
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
