#pragma once
/// Where things live on Linux: the XDG base directories of the user, the
/// runtime directory for lock files, and the directories of the program.
/// Results that are directories end with '/'.

#include <string>

namespace qlxs {

/// The user's home directory: $HOME, else the password database entry.
std::string HomeDirectory();
/// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config/.
std::string ConfigHome();
/// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share/.
std::string DataHome();
/// $XDG_RUNTIME_DIR when it is an absolute path to a directory, else /tmp/.
std::string RuntimeDirectory();

/// The data directory that the user's data folder provides:
/// DataHome() + "Brakel/DemoQuallixS/".
std::string ApplicationDataDirectory();

/// The directory of the running executable.
std::string ExecutableDirectory();
/// The install prefix (/usr/, /usr/local/, /opt/...) of an executable
/// directory <prefix>/bin/ or of a program directory <prefix>/share/qlxs/;
/// any other directory is its own prefix (a build tree).
std::string InstallPrefix(const std::string& dir);
/// The program directory with the language files, the type-name file and
/// the help: `exeDir` when it holds the German language file (a build
/// tree), else <prefix>/share/qlxs/.
std::string ProgramDirectory(const std::string& exeDir);

/// True when the user's language (LC_ALL, LC_MESSAGES, then LANG, as POSIX
/// orders them) is German.
bool SystemLanguageIsGerman();

}  // namespace qlxs
