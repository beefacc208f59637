#pragma once
// The programs' log: warnings and errors of Qt's categorized logging (and of every category),
// one line each, appended to "<program>.log" in the user's state folder (~/.local/state/jxc
// on Linux, XDG_STATE_HOME when set), so an administrator can read what happened on a
// workstation. A log that has grown past its size is rotated: .log becomes .log.1 and so on,
// the oldest dropped. Messages still reach the standard error as before unless told not to.
#include <QString>

namespace platform {

struct FileLogOptions {
    qint64 maxBytes = 1024 * 1024; // rotated when it grows past this
    int keep = 5;                  // rotated files kept besides the current one
    bool echo = true;              // also to the standard error, as without the log
};

// The folder the logs go to (created when needed).
QString LogFolder();
// Installs the handler for this process; returns the log file's path (empty when the folder
// cannot be made: messages then only reach the standard error).
QString InstallFileLog(const QString& program, const FileLogOptions& options = {});
// Removes the handler again (tests).
void RemoveFileLog();

} // namespace platform
