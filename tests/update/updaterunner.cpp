// A copy of the program reduced to its update: run as "update_runner FOLDER EVENTS STOP", it carries
// out the update step for the installation in FOLDER (its update server named in the environment,
// as for the program), writes what the update did to its view and user shell into EVENTS as it
// happens, one line each, and then stays until the file STOP exists (at most a minute), as the
// program does until its quit timer ends it. The tests run several at once to see how copies of
// the program in one folder get along.
#include "context/installation.h"
#include "context/programcontext.h"
#include "context/usershell.h"
#include "datamodule/tdm_mb.h"
#include "platform/hostresolver.h"
#include "update/programupdate.h"
#include "update/updateview.h"

#include <QCoreApplication>
#include <QString>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

class EventLog {
public:
    explicit EventLog(const char* path) : m_out(path, std::ios::binary | std::ios::app) {}
    void add(const QString& event) { m_out << event.toStdString() << '\n' << std::flush; }

private:
    std::ofstream m_out;
};

class LoggingView : public UpdateView {
public:
    explicit LoggingView(EventLog& log) : m_log(log) {}
    void setVersionText(const QString& text) override { m_log.add("version label: " + text); }
    void enableQuitTimer() override { m_log.add("quit timer enabled"); }

private:
    EventLog& m_log;
};

class LoggingShell : public UserShell {
public:
    explicit LoggingShell(EventLog& log) : m_log(log) {}
    QString title() const override { return QStringLiteral("ZOR 27"); }
    void showPlainMessage(const QString& text) override { m_log.add("plain message: " + text); }
    void showException(const std::exception& error) override {
        m_log.add("error box: " + QString::fromUtf8(error.what()));
    }
    int messageBox(const QString& text, const QString& caption, int flags) override {
        // A line break of a message is a CR: one line of the log each.
        m_log.add(
            QStringLiteral("message box: %1 | %2 | %3").arg(text, caption).arg(flags).replace('\r', '|'));
        return AnswerOk;
    }
    void processPendingEvents() override { m_log.add("events processed"); }
    void requestTermination() override {
        m_terminationRequested = true;
        m_log.add("termination requested");
    }
    bool terminationRequested() const override { return m_terminationRequested; }

private:
    EventLog& m_log;
    bool m_terminationRequested = false;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 4)
        return 2;
    EventLog log(argv[2]);
    {
        const Installation installation(QString::fromLocal8Bit(argv[1]));
        LoggingView view(log);
        LoggingShell shell(log);
        TDM_MB data;
        const platform::SystemHostResolver resolver;
        const ProgramContext context{installation, shell, data, resolver};
        try {
            RunProgramUpdate(view, context);
        } catch (const std::exception& error) {
            log.add("error: " + QString::fromUtf8(error.what()));
        }
        log.add("returned");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!std::filesystem::exists(argv[3]) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}
