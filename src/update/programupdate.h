#pragma once

class Installation;
class UpdateView;
struct ProgramContext;

// The update that the server orders at sign-in. A copy installed by the package manager tells the
// user that the package must be updated (PackagedUpdateRefused) and requests termination, touching
// no file. Otherwise it shows the notice in the view, downloads the new
// executable into "tempZOR", and either tells the user that the update server cannot be reached and
// requests termination, or writes the replacement script beside the executable, starts it hidden
// (detached elsewhere) in the program folder and enables the view's quit timer. On Windows the
// script is GuardedReplacementScript as "ZOR 27.bat", elsewhere ShellReplacementScript as
// "ZOR 27.sh". Refused (nothing happens) while an update of the same view is underway. Errors of
// the download's file, the script's creation and its start leave towards the caller, and the view
// may order an update again.
void RunProgramUpdate(UpdateView& view, const ProgramContext& context);

// Deletes the replacement script(s) that an update leaves beside the executable ("ZOR 27.bat", and
// "ZOR 27.sh" where the shell counterpart runs). Absent or undeletable files are passed over.
void RemoveLeftoverScripts(const Installation& installation);

// "Идёт обновление программы, ПОДОЖДИТЕ..."
extern const char* const UpdateNotice;
// "Сервер обновлений не доступен." CR "Обратитесь к администратору."
extern const char* const UpdateServerUnreachable;
// "Уведомление"
extern const char* const UpdateCaption;
// What a copy installed by the package manager says instead of updating itself, before it ends.
extern const char* const PackagedUpdateRefused;
