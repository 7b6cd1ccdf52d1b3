#pragma once

#include <QString>

// Where updates come from: "http://HOST/zorprogs/ZOR 27" with the system's executable suffix
// ("ZOR 27.exe" on Windows). HOST is DefaultUpdateHost unless the environment variable
// ZOR27_UPDATE_SERVER names another ("host" or "host:port"). The blank stays as it is.
QString UpdateUrl();

inline const char* const DefaultUpdateHost = "zorupdate";
inline const char* const UpdateServerVariable = "ZOR27_UPDATE_SERVER";
