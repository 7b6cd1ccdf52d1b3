#pragma once

class Installation;
class UpdateView;
struct ProgramContext;

// The update that the server orders at sign-in. A copy installed by the package manager tells the
// user that the package must be updated (PackagedUpdateRefused) and requests termination, touching
// no file. Otherwise it shows the notice in the view and takes the installation's update lock
// ("tempZOR\ZOR 27.lock"), which it keeps in the view until the program ends; when another copy of
// the program holds it, or the replacement script of an earlier update still works in the folder
// (Installation::updateScriptAtWork), it tells the user (UpdateUnderwayElsewhere) and requests
// termination, touching no file. It downloads the new executable into a part file of its own in "tempZOR",
// renamed to "tempZOR\ZOR 27.exe" once complete and found to be an executable for this machine,
// and either tells the user that the update server cannot be reached (UpdateServerUnreachable) or
// sent no program (UpdateNotAProgram) and requests termination (removing the part file), or writes the
// replacement script beside the executable, starts it hidden (detached elsewhere) in the program folder and
// enables the view's quit timer. On Windows the script is GuardedReplacementScript as "ZOR 27.bat",
// elsewhere ShellReplacementScript as "ZOR 27.sh". Refused (nothing happens) while an update of the
// same view is underway. Errors of the lock, the download's file, the script's creation and its
// start leave towards the caller, the lock is let go, and the view may order an update again.
void RunProgramUpdate(UpdateView& view, const ProgramContext& context);

// Deletes the replacement script(s) that an update leaves beside the executable ("ZOR 27.bat", and
// "ZOR 27.sh" where the shell counterpart runs). Absent or undeletable files are passed over.
void RemoveLeftoverScripts(const Installation& installation);

// "Идёт обновление программы, ПОДОЖДИТЕ..."
extern const char* const UpdateNotice;
// "Сервер обновлений не доступен." CR "Обратитесь к администратору."
extern const char* const UpdateServerUnreachable;
// What the user is told when the update server sends something that is not a program for this
// machine (a web server's page with a success status, say): "Сервер обновлений не доступен: …".
extern const char* const UpdateNotAProgram;
// "Уведомление"
extern const char* const UpdateCaption;
// What a copy installed by the package manager says instead of updating itself, before it ends.
extern const char* const PackagedUpdateRefused;
// What a copy says, before it ends, when another copy of the program in its folder is updating it.
extern const char* const UpdateUnderwayElsewhere;
