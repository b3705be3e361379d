#include "app/link_window/terminal_launcher.h"

#include <QDir>
#include <QProcess>

namespace wellvue {

std::optional<TerminalCommand> terminal_command(const QString& executable_dir, const QString& port,
                                                const std::function<QString(const QString&)>& find_executable,
                                                const std::function<bool(const QString&)>& exists) {
  const QString beside = QDir(executable_dir).filePath(QString::fromLatin1(kTerminalProgramName));
  if (exists(beside)) return TerminalCommand{beside, {}, executable_dir};

  // A port text that looks like an option would be taken by picocom as one.
  const QString device = port.trimmed();
  if (device.isEmpty() || device.startsWith(QLatin1Char('-'))) return std::nullopt;
  const QString terminal = find_executable(QStringLiteral("x-terminal-emulator"));
  const QString picocom = find_executable(QStringLiteral("picocom"));
  if (terminal.isEmpty() || picocom.isEmpty()) return std::nullopt;
  return TerminalCommand{
      terminal, {QStringLiteral("-e"), picocom, QStringLiteral("-b"), QStringLiteral("9600"), device}, executable_dir};
}

bool launch_terminal(const TerminalCommand& command) {
  return QProcess::startDetached(command.program, command.arguments, command.working_directory);
}

}  // namespace wellvue
