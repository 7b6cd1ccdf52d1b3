// zor27-makedb: builds the embedded database of an installation from the scripts of db/:
// the demo database, an empty one with only the contract, or a large one for benchmarks.
#include "data/dataerror.h"
#include "data/embedded/databasebuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

namespace {

const char* const Usage = "usage: zor27-makedb [--empty | --large ROWS] [--scripts DIR] FILE\n"
                          "  (default)     the contract with the demo data\n"
                          "  --empty       the contract only: schema, procedures, logins\n"
                          "  --large ROWS  the demo data and a benchmark group of ROWS schedule rows\n"
                          "  --scripts DIR the db/ folder to build from\n";

int fail(const QString& message) {
    std::fprintf(stderr, "zor27-makedb: %s\n", message.toUtf8().constData());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    // The source tree's db/ for a build, the scripts installed beside the tool for an installed copy.
    QString scripts = QStringLiteral(ZOR_DB_SCRIPTS);
    const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/db");
    if (!QFileInfo::exists(scripts) && QFileInfo::exists(installed))
        scripts = installed;
    bool demo = true;
    int largeRows = 0;
    QString file;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == "--empty") {
            demo = false;
        } else if (arg == "--large" && i + 1 < args.size()) {
            bool ok = false;
            largeRows = args[++i].toInt(&ok);
            if (!ok || largeRows <= 0)
                return fail("--large needs a positive number of rows");
        } else if (arg == "--scripts" && i + 1 < args.size()) {
            scripts = args[++i];
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        } else if (arg.startsWith("--") || !file.isEmpty()) {
            std::fputs(Usage, stderr);
            return 2;
        } else {
            file = arg;
        }
    }
    if (file.isEmpty()) {
        std::fputs(Usage, stderr);
        return 2;
    }
    if (largeRows && !demo)
        return fail("--large builds on the demo data and cannot be combined with --empty");
    file = QFileInfo(file).absoluteFilePath();
    QDir().mkpath(QFileInfo(file).absolutePath());
    QElapsedTimer timer;
    timer.start();
    try {
        const DatabaseBuilder builder(scripts);
        builder.build(file, demo);
        if (largeRows)
            builder.addLargeGroup(file, largeRows);
    } catch (const DataError& error) {
        return fail(error.text());
    }
    std::printf("%s (%lld ms)\n", QDir::toNativeSeparators(file).toUtf8().constData(),
                static_cast<long long>(timer.elapsed()));
    return 0;
}
