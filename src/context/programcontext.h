#pragma once

class Installation;
class TDM_MB;
class UserShell;
namespace platform {
class HostResolver;
}

// What the windows and the program's logic share for the whole run; main() builds it and hands it
// to every window it creates.
struct ProgramContext {
    const Installation& installation;
    UserShell& shell;
    TDM_MB& data;
    // Name resolution for the workstation's address.
    const platform::HostResolver& hostResolver;
};
