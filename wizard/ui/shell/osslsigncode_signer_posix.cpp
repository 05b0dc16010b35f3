#include "wizard/ui/shell/osslsigncode_signer.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <vector>

#include "common/ansi_text.h"

extern char** environ;

namespace zk {
namespace {

// Enough of osslsigncode's output to find its message; the rest is read and
// dropped so that it never blocks on a full pipe.
constexpr std::size_t KEPT_OUTPUT = 64 * 1024;

struct Run {
    int spawnError = 0;  // errno of a program that could not be started
    int status = 0;      // waitpid's status otherwise
    std::string output;  // standard output and error, interleaved
};

Run RunProgram(const std::vector<std::string>& arguments) {
    Run run;
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        run.spawnError = errno;
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    pid_t pid = 0;
    run.spawnError = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (run.spawnError == 0) {
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(pipeEnds[0], buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            if (run.output.size() < KEPT_OUTPUT)
                run.output.append(buffer, static_cast<std::size_t>(n));
        }
        while (waitpid(pid, &run.status, 0) < 0 && errno == EINTR) {
        }
    }
    close(pipeEnds[0]);
    return run;
}

bool Holds(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// The line that says what went wrong: not the closing "Failed", not a line
// of OpenSSL's error stack ("40E0…:error:…").
std::string TellingLine(const std::string& output) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty() || line == "Failed" || line == "Succeeded" || Holds(line, ":error:"))
            continue;
        return line;
    }
    return {};
}

}  // namespace

SigningReport OsslsigncodeSigner::Sign(const SignatureRequest& request) {
    const SigningSettings& settings = request.settings;
    std::vector<std::string> arguments = {ToolName(), "sign", "-pkcs12",
                                          AnsiToUtf8(settings.certificate)};
    if (!settings.passwordFile.empty()) {
        arguments.push_back("-readpass");
        arguments.push_back(AnsiToUtf8(settings.passwordFile));
    }
    arguments.push_back("-n");
    arguments.push_back(AnsiToUtf8(request.productName));
    if (!settings.url.empty()) {
        arguments.push_back("-i");
        arguments.push_back(AnsiToUtf8(settings.url));
    }
    for (const std::string& a :
         {std::string("-time"), std::to_string(request.unixTime), std::string("-in"),
          AnsiToUtf8(request.input), std::string("-out"), AnsiToUtf8(request.output)})
        arguments.push_back(a);
    // osslsigncode would rather not write over a file.
    unlink(AnsiToUtf8(request.output).c_str());

    const Run run = RunProgram(arguments);
    SigningReport report;
    if (run.spawnError != 0) {
        report.result = SigningResult::SignerMissing;
        report.message = std::strerror(run.spawnError);
        return report;
    }
    if (WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) return report;

    const std::string& said = run.output;
    report.message = TellingLine(said);
    if (report.message.empty())
        report.message = WIFEXITED(run.status)
                             ? "ended with exit code " + std::to_string(WEXITSTATUS(run.status))
                             : "ended by signal " + std::to_string(WTERMSIG(run.status));
    if (Holds(said, "Wrong password") || Holds(said, "mac verify failure"))
        report.result = SigningResult::PasswordRefused;
    else if (Holds(said, "PKCS#12") || Holds(said, "key or certificates"))
        report.result = SigningResult::CertificateUnusable;
    else if (Holds(said, "Failed to create file") || Holds(said, "No space left"))
        report.result = SigningResult::CannotWrite;
    else
        report.result = SigningResult::Failed;
    return report;
}

}  // namespace zk
