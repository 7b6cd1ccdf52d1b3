#include "programupdate.h"

#include "context/installation.h"
#include "context/programcontext.h"
#include "context/usershell.h"
#include "platform/currentprocess.h"
#include "platform/download.h"
#include "platform/shellrun.h"
#include "platform/wholefile.h"
#include "replacementscript.h"
#include "updatesource.h"
#include "updateview.h"

#include <QDir>
#include <QFile>

const char* const UpdateNotice = "Идёт обновление программы, ПОДОЖДИТЕ...";
const char* const UpdateServerUnreachable = "Сервер обновлений не доступен.\rОбратитесь к администратору.";
const char* const UpdateCaption = "Уведомление";
const char* const PackagedUpdateRefused =
    "Программа установлена системным пакетом и не может обновить себя сама.\r"
    "Обратитесь к администратору: нужно обновить пакет zor27.";

// Marks the view's update as underway for its lifetime, unless the update ends as it should (the
// program ending): an update that fails with an error may be ordered again.
class UpdateGuard {
public:
    explicit UpdateGuard(UpdateView& view) : m_view(view) { m_view.m_updateUnderway = true; }
    ~UpdateGuard() {
        if (!m_kept)
            m_view.m_updateUnderway = false;
    }
    UpdateGuard(const UpdateGuard&) = delete;
    UpdateGuard& operator=(const UpdateGuard&) = delete;
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

    if (!platform::DownloadToFile(systemPath(UpdateUrl()), systemPath(installation.updateDownload()))) {
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
