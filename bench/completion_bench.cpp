// Typing completion in the control-type column over a TypeControl table of 10,000 types: the
// search for the first type that begins with a 5-character candidate, and typing that candidate
// into the grid's cell editor one character at a time (a search per character, with the cell's
// bookkeeping), each against a plain case-insensitive prefix scan of the same strings for the same
// candidates. The candidate, typed in capitals, begins only the last type, so every scan runs to
// the end of the table. Goal: ratio at most 1.5.
#include "benchsupport.h"
#include "data/embedded/databasebuilder.h"
#include "datamodule/tdm_mb.h"
#include "grid/celleditor.h"
#include "grid/gridmodel.h"
#include "grid/lookupcompletion.h"
#include "schedule/schedulecolumns.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <vector>

namespace {

using benchsupport::Median;
using benchsupport::Seconds;

constexpr int Types = 10000;
constexpr int CandidateLength = 5;
// The demo database's first group.
const QVariant Keys[] = {1, 1, 1, 1};

// Names of 8 to 20 Cyrillic letters, the first in capitals; the last one's first five letters
// begin no other name, whatever the case.
QStringList TypeNames() {
    static const QString letters = QStringLiteral("абвгдежзийклмнопрстуфхцчшщэюя");
    QRandomGenerator random(27);
    QStringList names;
    while (names.size() < Types) {
        QString name;
        const int length = 8 + static_cast<int>(random.bounded(13));
        for (int i = 0; i < length; ++i)
            name += letters[static_cast<int>(random.bounded(static_cast<quint32>(letters.size())))];
        name[0] = name[0].toUpper();
        names.append(name);
    }
    const QString last = names.last().left(CandidateLength);
    for (int i = 0; i + 1 < names.size(); ++i)
        if (names[i].startsWith(last, Qt::CaseInsensitive))
            names[i][1] = names[i][1] == QChar(u'а') ? QChar(u'б') : QChar(u'а');
    return names;
}

// The demo database with the control types replaced by the names (ids 1 to 10,000, the demo's six
// ids among them, so that the schedule's keys still look up).
struct TypesDatabase {
    QTemporaryDir dir;
    QString file;
    QStringList names = TypeNames();
    TypesDatabase() {
        file = dir.filePath("types.db");
        DatabaseBuilder(ZOR_DB_FOLDER).build(file, true);
        DatabaseBuilder::runScript(file, QStringLiteral("DELETE FROM TypeControl"));
        for (int start = 0; start < Types; start += 500) {
            QStringList rows;
            for (int i = start; i < std::min(start + 500, Types); ++i)
                rows.append(QStringLiteral("(%1, '%2')").arg(i + 1).arg(names[i]));
            DatabaseBuilder::runScript(file, "INSERT INTO TypeControl (id_typeControl, typeControl) VALUES " +
                                                 rows.join(", "));
        }
    }
};

TypesDatabase& Database() {
    static TypesDatabase database;
    return database;
}

// The reference: the first of the strings that begins with the candidate, without regard to case.
int PlainScan(const QStringList& strings, QStringView candidate) {
    for (qsizetype i = 0; i < strings.size(); ++i)
        if (strings[i].startsWith(candidate, Qt::CaseInsensitive))
            return static_cast<int>(i);
    return -1;
}

// The data module on the database with the group's schedule open, and the grid on its control type.
struct Schedule {
    TDM_MB module;
    GridModel grid;
    CellEditor editor{grid};
    Schedule() {
        module.ADOCon->setConnectionString("User ID=zor_demo;Password=Zor27demo;Data Source=embedded;"
                                           "Initial Catalog=\"" +
                                           Database().file + "\"");
        module.ADOCon->open();
        const char* names[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
        for (int i = 0; i < 4; ++i)
            module.ADOQ_RatingTable->findParam(names[i])->setValue(Keys[i]);
        AddScheduleColumns(grid);
        grid.setDataSource(module.DS_RatingTable);
        module.ADOQ_RatingTable->open();
        grid.setCurrentColumn(7);
    }
};

void BM_CompletionSearch(benchmark::State& state) {
    Schedule schedule;
    const QStringList& names = Database().names;
    const QString candidate = names.last().left(CandidateLength).toUpper();
    const LookupCompletion types(schedule.module.ADOQ_RatingTableTypeControl);
    if (types.count() != Types || types.find(candidate) != Types - 1 ||
        PlainScan(names, candidate) != Types - 1)
        state.SkipWithError("the table is not as built");
    std::vector<double> searches;
    std::vector<double> scans;
    for (auto _ : state) {
        searches.push_back(Seconds([&] { benchmark::DoNotOptimize(types.find(candidate)); }));
        scans.push_back(Seconds([&] { benchmark::DoNotOptimize(PlainScan(names, candidate)); }));
    }
    state.counters["types"] = types.count();
    state.counters["search_us"] = Median(searches) * 1e6;
    state.counters["scan_us"] = Median(scans) * 1e6;
    state.counters["ratio"] = Median(searches) / Median(scans);
}
BENCHMARK(BM_CompletionSearch)->Unit(benchmark::kMicrosecond)->Iterations(300);

void BM_TypingACandidate(benchmark::State& state) {
    Schedule schedule;
    CellEditor& editor = schedule.editor;
    const QStringList& names = Database().names;
    const QString target = names.last();
    const QString typed = target.left(CandidateLength).toUpper();
    std::vector<double> typing;
    std::vector<double> scans;
    for (auto _ : state) {
        editor.setSelection(editor.editor().length(), 0);
        typing.push_back(Seconds([&] {
            for (const QChar c : typed)
                editor.typeText(QString(c));
        }));
        if (editor.editor().text() != target)
            state.SkipWithError("the completion did not reach the last type");
        scans.push_back(Seconds([&] {
            for (int length = 1; length <= CandidateLength; ++length)
                benchmark::DoNotOptimize(PlainScan(names, QStringView(typed).left(length)));
        }));
    }
    state.counters["typing_us"] = Median(typing) * 1e6;
    state.counters["scans_us"] = Median(scans) * 1e6;
    state.counters["ratio"] = Median(typing) / Median(scans);
}
BENCHMARK(BM_TypingACandidate)->Unit(benchmark::kMicrosecond)->Iterations(300);

} // namespace
