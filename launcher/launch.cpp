#include "launcher/launch.h"

#include "shell/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {
bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Everything up to and including the last separator; "" when there is none.
std::string folderPart(const std::string& path) {
    const size_t last = path.find_last_of("/\\");
    return last == std::string::npos ? "" : path.substr(0, last + 1);
}

std::string filePart(const std::string& path) {
    const size_t last = path.find_last_of("/\\");
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string withSeparator(std::string folder) {
    if (folder.empty() || !isSeparator(folder.back())) folder += pathSeparator();
    return folder;
}
}  // namespace

LaunchResult launchProgram(const std::string& path, bool quiet, const std::vector<std::string>& arguments) {
    std::string target = path;
    for (char& c : target)
        if (isSeparator(c)) c = pathSeparator();
    const std::string here = withSeparator(currentDirectory());

    std::string started;
    bool ok = false;
    if (pathExists(target)) {
        // The game runs inside its own folder, where it expects its data.
        started = target;
        const bool absolute = isSeparator(target[0]) || (target.size() > 1 && target[1] == ':');
        ok = startProgram(target, arguments, folderPart(absolute ? target : here + target));
    } else if (const std::string file = filePart(target); file != target && pathExists(file)) {
        // The launcher may sit inside the game's folder itself.
        started = file;
        ok = startProgram(file, arguments, here);
    }

    if (started.empty()) {
        if (!quiet) {
            const bool folder = !target.empty() && target.back() == pathSeparator();
            const std::string text = std::string(folder ? "Folder" : "File") + " not found:\n" + target;
            showMessageBox("Error", text.c_str(), MESSAGE_ERROR);
        }
        return LAUNCH_NOT_FOUND;
    }
    if (!ok) {
        if (!quiet) showMessageBox("Error", ("Could not start:\n" + started).c_str(), MESSAGE_ERROR);
        return LAUNCH_FAILED;
    }
    return LAUNCH_STARTED;
}

// Quoted so that Windows' own splitting (CommandLineToArgvW, the C runtime) gives every argument
// back as it was: backslashes count only before a quote, so those are doubled, and a quote is
// escaped.
std::string forwardedArguments(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        line += ' ';
        if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
            line += argument;
            continue;
        }
        line += '"';
        size_t backslashes = 0;
        for (char c : argument) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        // Before the closing quote they would escape it.
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    if (!line.empty()) line.erase(0, 1);
    return line;
}

std::string commandLine(const std::string& program, const std::vector<std::string>& arguments) {
    std::string command = !program.empty() && program[0] == '"' ? program : '"' + program + '"';
    const std::string parameters = forwardedArguments(arguments);
    if (!parameters.empty()) command += ' ' + parameters;
    return command;
}

#ifdef _WIN32
bool startProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& workingDirectory) {
    if (program.empty()) return false;
    // No application name: Windows finds the program from the quoted path at the head of the line.
    std::wstring command = wideText(commandLine(program, arguments));
    const std::wstring folder = wideText(workingDirectory);
    if (command.empty() || (folder.empty() && !workingDirectory.empty())) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
#else
namespace {
// Writes all of an int to a pipe from the child; nothing but async-signal-safe calls here.
void reportErrno(int fd, int error) {
    const char* bytes = reinterpret_cast<const char*>(&error);
    size_t left = sizeof error;
    while (left > 0) {
        const ssize_t n = write(fd, bytes, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes += n;
        left -= static_cast<size_t>(n);
    }
}
}  // namespace

bool startProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& workingDirectory) {
    if (program.empty()) return false;
    // The child changes folder before exec, so a relative program path must be pinned first.
    const std::string absolute =
        program[0] == '/' ? program : withSeparator(currentDirectory()) + program;
    struct stat info {};
    if (stat(absolute.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;

    std::vector<std::string> strings;
    strings.reserve(arguments.size() + 1);
    strings.push_back(absolute);
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    const char* folder = workingDirectory.empty() ? nullptr : workingDirectory.c_str();

    // The child tells through a close-on-exec pipe whether chdir or exec failed:
    // end of file without data means the program is running.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t middle = fork();
    if (middle < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (middle == 0) {
        // Fork twice so the game is not our child: nobody has to reap it, and the launcher
        // may end at once.
        close(report[0]);
        const pid_t game = fork();
        if (game < 0) {
            reportErrno(report[1], errno);
            _exit(1);
        }
        if (game > 0) _exit(0);
        if (folder && chdir(folder) != 0) {
            reportErrno(report[1], errno);
            _exit(127);
        }
        execv(argv[0], argv.data());
        reportErrno(report[1], errno);
        _exit(127);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
#endif
