#pragma once

#include <QString>

// Where the program's own files are: the program folder (the executable's folder) and the fixed
// names below it. Every path of the installation is built here, with the system's separators.
class Installation {
public:
    // Where a copy installed by the system's package manager keeps what a program folder holds in
    // "Data" (its program folder belongs to the package manager).
    struct SystemPlaces {
        QString programFolder; // the packaged executable's folder
        QString configFolder;  // holds the bootstrap file "ZOR"
        QString dataFolder;    // holds the embedded databases
    };

    // The installation around the running executable, with the places this build was made for.
    static Installation OfRunningProgram();
    // A program folder's installation: the packaged one when the folder is places.programFolder and
    // holds no "Data" folder with a bootstrap file of its own, otherwise everything beside the
    // executable.
    static Installation Locate(const QString& programFolder, const SystemPlaces& places);

    // Everything beside the executable; programFolder without a trailing separator.
    explicit Installation(QString programFolder);

    const QString& programFolder() const { return m_programFolder; }
    // True for a copy installed by the package manager (the Debian package, or the Windows package
    // through Windows Installer), which must not replace its own files.
    bool isPackaged() const;
    // "Data": the bootstrap file and the embedded databases.
    const QString& dataFolder() const { return m_dataFolder; }
    // "Data\ZOR", the scrambled bootstrap credentials.
    const QString& bootstrapFile() const { return m_bootstrapFile; }
    // "tempZOR", where an update downloads the new executable.
    QString updateFolder() const;
    // "tempZOR\ZOR 27.exe" (on Windows; the system's executable suffix elsewhere): a complete
    // download, the only file there that the replacement script installs.
    QString updateDownload() const;
    // "tempZOR\ZOR 27.PID.part": where the process with that identifier downloads, before the
    // complete file is renamed to updateDownload().
    QString updateDownloadPart(long long processId) const;
    // "tempZOR\ZOR 27.lock": the file whose lock lets one copy of the program update at a time.
    QString updateLock() const;
    // "tempZOR\ZOR 27.run": held open by the batch replacement script for as long as it works.
    QString updateScriptAtWork() const;
    // "ZOR 27.bat", the replacement script an update leaves beside the executable.
    QString updateScript() const;
    // "ZOR 27.sh", the replacement script's POSIX shell counterpart.
    QString updateShellScript() const;

    // A name inside the program folder.
    QString inProgramFolder(const QString& name) const;

    static constexpr const char* ProgramName = "ZOR 27";
    // The extension the system gives executables: ".exe" on Windows, none elsewhere.
    static QString executableSuffix();

private:
    QString m_programFolder;
    QString m_dataFolder;
    QString m_bootstrapFile;
    bool m_packaged = false;
    // Asked of Windows Installer only when it matters (an update order), not at every start.
    bool m_askWindowsInstaller = false;
};
