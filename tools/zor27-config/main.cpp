// zor27-config: writes and shows the bootstrap file (Data/ZOR) of an installation.
#include "context/installation.h"
#include "signin/bootstrapfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringList>
#include <cstdio>
#include <exception>

namespace {

const char* const Usage =
    "usage: zor27-config write --user U --password P --server S --database D [--file PATH]\n"
    "       zor27-config show [--file PATH]\n"
    "PATH defaults to Data/ZOR beside this tool.\n";

int fail(const QString& message) {
    std::fprintf(stderr, "zor27-config: %s\n", message.toUtf8().constData());
    return 1;
}

// Options of the form --name value; returns false on an unknown or incomplete option.
bool parseOptions(const QStringList& args, const QStringList& known, QMap<QString, QString>& options,
                  QString& error) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith("--") || !known.contains(arg.mid(2))) {
            error = "unknown argument " + arg;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return false;
        }
        options[arg.mid(2)] = args[++i];
    }
    return true;
}

int writeFile(const QMap<QString, QString>& options, const QString& path) {
    for (const char* name : {"user", "password", "server", "database"})
        if (!options.contains(name))
            return fail(QString("--%1 is required").arg(name));
    TFirstConnectInfo info;
    info.UserName = options["user"];
    info.Password = options["password"];
    info.Server = options["server"];
    info.Database = options["database"];
    QByteArray bytes;
    try {
        bytes = EncodeFirstConnectInfo(
            info, [] { return static_cast<char>(QRandomGenerator::system()->bounded(256)); });
    } catch (const std::exception& error) {
        return fail(QString::fromUtf8(error.what()));
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return fail("cannot write " + path + ": " + file.errorString());
    std::printf("%s written\n", QDir::toNativeSeparators(path).toUtf8().constData());
    return 0;
}

int showFile(const QString& path) {
    try {
        const TFirstConnectInfo info = ReadFirstConnectInfo(path);
        std::printf("UserName=%s\nPassword=%s\nServer=%s\nDatabase=%s\n", info.UserName.toUtf8().constData(),
                    info.Password.toUtf8().constData(), info.Server.toUtf8().constData(),
                    info.Database.toUtf8().constData());
        return 0;
    } catch (const std::exception& error) {
        return fail(QDir::toNativeSeparators(path) + ": " + QString::fromUtf8(error.what()));
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || (args[0] != "write" && args[0] != "show")) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const QString command = args.takeFirst();
    QMap<QString, QString> options;
    QString error;
    const QStringList known = command == "write"
                                  ? QStringList{"user", "password", "server", "database", "file"}
                                  : QStringList{"file"};
    if (!parseOptions(args, known, options, error)) {
        std::fputs(Usage, stderr);
        return fail(error);
    }
    const QString path = options.value("file", Installation::OfRunningProgram().bootstrapFile());
    return command == "write" ? writeFile(options, path) : showFile(path);
}
