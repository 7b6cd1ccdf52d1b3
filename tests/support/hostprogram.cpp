#include "hostprogram.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace testsupport {

namespace {

#ifdef _WIN32
// Wine's own export: the Linux path of a Windows one (allocated on the process heap).
using UnixFileName = char* (*)(const wchar_t*);

QString Program(const QString& linuxPath) {
    return QStringLiteral("Z:") + linuxPath;
}

QByteArray ReadWhole(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A Linux process by its id has ended (gone, or a zombie nobody reaps).
bool Gone(qint64 pid) {
    const QByteArray stat = ReadWhole(QStringLiteral("Z:/proc/%1/stat").arg(pid));
    if (stat.isEmpty())
        return true;
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 || stat.mid(close + 2, 1) == "Z";
}

// Starts "sh -c script sh program arguments..." detached; the script sees the program as "$@".
bool StartShell(const QString& script, const QString& program, const QStringList& arguments) {
    QStringList all{QStringLiteral("-c"), script, QStringLiteral("sh"), program};
    all += arguments;
    return QProcess::startDetached(Program(QStringLiteral("/bin/sh")), all);
}
#endif

} // namespace

QString HostPython() {
    return QStringLiteral(ZOR_PYTHON3);
}

QString HostPath(const QString& path) {
#ifdef _WIN32
    static const auto unixFileName = reinterpret_cast<UnixFileName>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name"));
    if (!unixFileName)
        return path;
    const std::wstring wide = QDir::toNativeSeparators(QDir::cleanPath(path)).toStdWString();
    char* unix = unixFileName(wide.c_str());
    if (!unix)
        return path;
    const QString result = QString::fromUtf8(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
#else
    return path;
#endif
}

HostRun RunHostProgram(const QString& program, const QStringList& arguments, int timeoutMs) {
    HostRun run;
#ifdef _WIN32
    QTemporaryDir folder;
    const QString out = HostPath(folder.filePath("out"));
    const QString err = HostPath(folder.filePath("err"));
    const QString status = HostPath(folder.filePath("status"));
    const QString script =
        QStringLiteral("\"$@\" >'%1' 2>'%2'; echo $? >'%3.part'; mv '%3.part' '%3'").arg(out, err, status);
    if (!StartShell(script, program, arguments))
        return run;
    const QDeadlineTimer deadline(timeoutMs);
    while (!QFile::exists(folder.filePath("status"))) {
        if (deadline.hasExpired())
            return run;
        QThread::msleep(20);
    }
    run.finished = true;
    run.exitCode = ReadWhole(folder.filePath("status")).trimmed().toInt();
    run.output = ReadWhole(folder.filePath("out"));
    run.errors = ReadWhole(folder.filePath("err"));
#else
    QProcess process;
    process.start(program, arguments);
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished)
        process.kill();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
#endif
    return run;
}

HostProcess::HostProcess() = default;

HostProcess::~HostProcess() {
    stop();
}

bool HostProcess::start(const QString& program, const QStringList& arguments) {
    stop();
#ifdef _WIN32
    QTemporaryDir folder;
    folder.setAutoRemove(false);
    m_folder = folder.path();
    const QString pidFile = HostPath(folder.filePath("pid"));
    if (!StartShell(QStringLiteral("echo $$ >'%1.part'; mv '%1.part' '%1'; exec \"$@\"").arg(pidFile),
                    program, arguments))
        return false;
    const QDeadlineTimer deadline(10000);
    while (!QFile::exists(folder.filePath("pid"))) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    m_pid = ReadWhole(folder.filePath("pid")).trimmed().toLongLong();
    return m_pid > 0;
#else
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(program, arguments);
    return m_process->waitForStarted(10000);
#endif
}

bool HostProcess::running() const {
#ifdef _WIN32
    return m_pid > 0 && !Gone(m_pid);
#else
    return m_process && m_process->state() != QProcess::NotRunning;
#endif
}

void HostProcess::stop() {
#ifdef _WIN32
    if (m_pid <= 0)
        return;
    RunHostProgram(QStringLiteral("/bin/kill"), {QStringLiteral("-9"), QString::number(m_pid)}, 10000);
    const QDeadlineTimer deadline(10000);
    while (!Gone(m_pid) && !deadline.hasExpired())
        QThread::msleep(10);
    QDir(m_folder).removeRecursively();
    m_pid = 0;
#else
    if (!m_process)
        return;
    m_process->kill();
    m_process->waitForFinished(5000);
    m_process.reset();
#endif
}

} // namespace testsupport
