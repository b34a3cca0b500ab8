#pragma once

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace varnadex::test {

// A program run as a child, its stdout and stderr read line by line from one pipe.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> args) {
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out = ::fdopen(fds[0], "r");
    }
    ~ChildProcess() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            finish();
        }
        if (out) std::fclose(out);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line, or "" at the end of the output.
    std::string line() {
        char buf[512] = {};
        if (!out || !std::fgets(buf, sizeof buf, out)) return {};
        std::string s = buf;
        if (!s.empty() && s.back() == '\n') s.pop_back();
        return s;
    }
    // Everything still to come, up to the end of the output.
    std::string rest() {
        std::string text, l;
        while (!(l = line()).empty())
            text += l + "\n";
        return text;
    }
    // The exit status, or -1 when the child did not exit by itself (a signal ended it).
    int finish() {
        int status = 0;
        if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) return -1;
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t pid = -1;
    std::FILE* out = nullptr;
};

} // namespace varnadex::test
