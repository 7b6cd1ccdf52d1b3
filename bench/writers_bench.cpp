// Two clients writing into one embedded database at once, each on its own connection and thread:
// one saves a row of its group in a tight loop, the other signs in (GET_USER, which logs the
// attempt), opens its group and saves rows of it too. For each client the longest wait (a save, the
// sign-in, the group's opening) against the median save of both (goal: at most 10 times it); no
// save may fail.
#include "benchsupport.h"
#include "data/connection.h"
#include "data/field.h"
#include "data/parameter.h"
#include "data/query.h"
#include "datamodule/tdm_mb.h"
#include "signin/getuserstatement.h"

#include <QDate>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <exception>
#include <string>
#include <thread>
#include <vector>

namespace {

using benchsupport::Median;
using benchsupport::Seconds;

benchsupport::LargeSessionDatabase& Database() {
    // Two groups of 40 controls in 2027/2028, spring, faculty 1.
    static benchsupport::LargeSessionDatabase database(2, 40, 1, 1);
    return database;
}

struct ClientTimes {
    std::vector<double> saves;
    double signIn = 0;
    double opening = 0;
    int failures = 0;
    std::string lastFailure;
};

// A client of the program: the data module on its own connection, the group `group` of the large
// session opened as the editor opens it, and `saves` saves of a room typed into its rows in turn
// (0: until `stop` is set).
void RunClient(int group, int saves, bool signIn, std::atomic<bool>& stop, ClientTimes& times) {
    benchsupport::LargeSessionDatabase& database = Database();
    try {
        if (signIn) {
            times.signIn = Seconds([&] {
                Connection boot;
                boot.setConnectionString(
                    "User ID=zor_boot;Password=boot;Data Source=embedded;Initial Catalog=\"" +
                    database.file() + "\"");
                boot.open();
                Query getUser(QStringLiteral("GetUser"), &boot);
                getUser.setSqlVerbatim(BuildGetUserStatement(
                    QStringLiteral("demo"), QStringLiteral("FE01CE2A7FBAC8FAFAED7C982A04E229"),
                    QStringLiteral("NULL"), QStringLiteral("127.0.0.1"), QStringLiteral("BENCH")));
                getUser.open();
            });
        }
        TDM_MB data;
        data.ADOCon->setConnectionString(database.connectionString());
        Query& schedule = *data.ADOQ_RatingTable;
        times.opening = Seconds([&] {
            data.ADOCon->open();
            const std::pair<const char*, int> parameters[] = {
                {"@id_a_year", 5}, {"@id_semester", 2}, {"@id_faculty", 1}, {"@id_group", 2000 + group}};
            for (const auto& [name, value] : parameters)
                schedule.parameters().paramByName(QString::fromLatin1(name)).setValue(value);
            schedule.open();
        });
        const int rows = schedule.recordCount();
        for (int i = 0; (saves == 0 || i < saves) && !(saves == 0 && stop.load()); ++i) {
            schedule.setRecNo(1 + i % rows);
            const QString room = QStringLiteral("%1-%2").arg(group).arg(i % 500);
            times.saves.push_back(Seconds([&] {
                try {
                    schedule.edit();
                    data.ADOQ_RatingTableAudience_1->setAsString(room);
                    schedule.post();
                } catch (const std::exception& error) {
                    ++times.failures;
                    times.lastFailure = std::string("save: ") + error.what();
                    schedule.cancel();
                }
            }));
        }
    } catch (const std::exception& error) {
        ++times.failures;
        times.lastFailure = std::string("sign-in or opening: ") + error.what();
    }
}

void BM_TwoWriters(benchmark::State& state) {
    Database();
    ClientTimes busy;
    ClientTimes second;
    ClientTimes alone;
    for (auto _ : state) {
        // The same client with nobody else writing: how long its waits are by themselves.
        std::atomic<bool> none{false};
        alone = ClientTimes();
        RunClient(1, 200, true, none, alone);
        busy = ClientTimes();
        second = ClientTimes();
        std::atomic<bool> stop{false};
        std::thread tight([&] { RunClient(0, 0, false, stop, busy); });
        // The second client comes in while the first is saving.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::thread other([&] { RunClient(1, 200, true, stop, second); });
        other.join();
        stop = true;
        tight.join();
    }
    std::vector<double> all = busy.saves;
    all.insert(all.end(), second.saves.begin(), second.saves.end());
    const double median = Median(all);
    const auto longestSave = [](const ClientTimes& times) {
        return times.saves.empty() ? 0.0 : *std::max_element(times.saves.begin(), times.saves.end());
    };
    state.counters["median_save_ms"] = median * 1000;
    state.counters["busy_saves"] = static_cast<double>(busy.saves.size());
    state.counters["busy_save_longest_ms"] = longestSave(busy) * 1000;
    state.counters["second_save_longest_ms"] = longestSave(second) * 1000;
    state.counters["ratio_busy"] = longestSave(busy) / median;
    state.counters["ratio_second"] = longestSave(second) / median;
    state.counters["second_signin_ms"] = second.signIn * 1000;
    state.counters["second_open_ms"] = second.opening * 1000;
    // The same figures with nobody else writing: the disk's own spread.
    state.counters["alone_median_save_ms"] = Median(alone.saves) * 1000;
    state.counters["ratio_alone"] = longestSave(alone) / Median(alone.saves);
    state.counters["alone_signin_ms"] = alone.signIn * 1000;
    state.counters["alone_open_ms"] = alone.opening * 1000;
    state.counters["failures"] = busy.failures + second.failures + alone.failures;
    if (busy.failures + second.failures > 0)
        state.SkipWithError(("a save failed: " + busy.lastFailure + " " + second.lastFailure).c_str());
}
BENCHMARK(BM_TwoWriters)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

} // namespace
