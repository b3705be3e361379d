// Which external serial terminal the "RS232-Hercule.exe" button starts: the terminal program
// when it stands beside the executable, else picocom in the desktop's terminal emulator, else
// nothing. Always a program and an argument list, never a shell string.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace wellvue {

inline constexpr const char* kTerminalProgramName = "RS232_hercules_3-2-6.exe";

struct TerminalCommand {
  QString program;
  QStringList arguments;
  QString working_directory;
};

// find_executable: the full path of a program on PATH, or empty (QStandardPaths in the app).
// exists: whether a file exists.
std::optional<TerminalCommand> terminal_command(const QString& executable_dir, const QString& port,
                                                const std::function<QString(const QString&)>& find_executable,
                                                const std::function<bool(const QString&)>& exists);

// Starts the command detached; the result is not reported to the operator, as before.
bool launch_terminal(const TerminalCommand& command);

}  // namespace wellvue
