// The last session: what was open when the program ended (the project, the
// document windows in MDI order with where the user was in each, the active
// window), kept for the next start that names no files.
#pragma once

#include <string>
#include <vector>

#include "app/Settings.h"

namespace app {

struct TSessionDocument {
    std::string path;
    TFilePlace place;
    bool operator==(const TSessionDocument&) const = default;
};

struct TSession {
    std::string project;  // the project file; "" when none was open
    // How many documents came before the project window in MDI order.
    int projectAt = 0;
    std::vector<TSessionDocument> documents;
    // The active window: a document's index, kProjectActive for the project
    // window, -1 for none of these.
    static constexpr int kProjectActive = -2;
    int active = -1;
    bool operator==(const TSession&) const = default;
};

// The file the session is kept in: session.ini in the user's state folder
// ($XDG_STATE_HOME/VeskCBuilder/); "" when there is no such place.
std::string SessionFile();

// Whatever parses of the file is taken (entries that are not places are
// left out, numbers out of range count as none); a missing file is an empty
// session. Throws platform::FileError when the file cannot be read.
TSession ReadSession(const std::string& file);
// Replaces the file; paths are kept as the system gives them (UTF-8), since
// the file is the program's own. Throws platform::FileError.
void WriteSession(const std::string& file, const TSession& session);

}  // namespace app
