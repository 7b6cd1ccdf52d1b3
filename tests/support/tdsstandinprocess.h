#pragma once

#include "support/runningprogram.h"
#include "support/tempfolder.h"

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// The SQL Server stand-in (tds_standin.py) for tests without Qt, on 127.0.0.1. Natively each object
// starts one of its own on a fresh copy of the driver cases' database (make_driver_db.py) and stops
// it when it goes. A Windows test under Wine cannot start it, so it uses the one that the Windows
// check started on the Linux side and named in ZOR_TEST_TDS_PORT, ZOR_TEST_TDS_LOG and
// ZOR_TEST_TDS_CONTROL.
class TdsStandInProcess {
public:
    TdsStandInProcess();
    ~TdsStandInProcess();
    TdsStandInProcess(const TdsStandInProcess&) = delete;
    TdsStandInProcess& operator=(const TdsStandInProcess&) = delete;

    // Empty when the stand-in runs; otherwise why it does not.
    const std::string& error() const { return m_error; }
    int port() const { return m_port; }
    // "127.0.0.1,PORT", as a connection string's Data Source.
    std::u16string dataSource() const;
    // The requests of its log so far, one JSON object a line.
    std::vector<std::string> log() const;
    // Replaces the fault rules (a JSON list), which the stand-in reads before every statement.
    void setFaultRules(const std::string& json) const;

private:
    std::unique_ptr<TempFolder> m_folder;
    std::string m_error;
    std::string m_log;
    std::string m_control;
    int m_port = 0;
    std::unique_ptr<RunningProgram> m_process;
};

} // namespace testsupport
