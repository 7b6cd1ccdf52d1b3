#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

class QProcess;

namespace testsupport {

// Programs of the machine the tests run on: the stand-in's interpreter, pdftotext, unzip. Built for
// Windows, the tests run under Wine, which starts a Linux program but gives back neither a handle
// to wait on nor its output; there the program runs under a shell that writes its output, exit
// status and process id to files that the tests read.

// The machine's Python interpreter.
QString HostPython();

// A path as such a program takes it: under Wine the Linux path of a Windows one, else the path.
QString HostPath(const QString& path);

struct HostRun {
    bool finished = false; // within the time limit
    int exitCode = -1;
    QByteArray output; // standard output
    QByteArray errors; // standard error
};

// Runs the program (a Linux path) with its arguments to its end, at most timeoutMs.
HostRun RunHostProgram(const QString& program, const QStringList& arguments, int timeoutMs = 60000);

// A program of the machine left running until stop() or the object goes; its standard error goes
// to the tests' own.
class HostProcess {
public:
    HostProcess();
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    // Starts it; false when it could not be started.
    bool start(const QString& program, const QStringList& arguments);
    bool running() const;
    // Kills it and waits until it is gone.
    void stop();

private:
    std::unique_ptr<QProcess> m_process; // Linux
    qint64 m_pid = 0;                    // Windows: the Linux process id, and the shell's files
    QString m_folder;
};

} // namespace testsupport
