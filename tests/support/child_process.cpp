#include "support/child_process.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessarin::test {

namespace {

int g_tellFd = -1;  // the pipe a forked body writes to

}  // namespace

CChild CChild::Start(const std::vector<std::string>& argv,
                     const std::vector<std::string>& environment, bool input,
                     std::optional<uid_t> user) {
    int pipeFds[2];
    int inputFds[2] = {-1, -1};
    if (::pipe(pipeFds) != 0 || (input && ::pipe(inputFds) != 0))
        throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        if (input) {
            ::dup2(inputFds[0], STDIN_FILENO);
            ::close(inputFds[0]);
            ::close(inputFds[1]);
        }
        for (const std::string& assignment : environment)
            ::putenv(const_cast<char*>(assignment.c_str()));
        if (user && (::setgroups(0, nullptr) != 0 || ::setgid(static_cast<gid_t>(*user)) != 0 ||
                     ::setuid(*user) != 0))
            ::_exit(126);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (input)
        ::close(inputFds[0]);
    return CChild(pid, pipeFds[0], inputFds[1]);
}

CChild CChild::Fork(const std::function<int()>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        g_tellFd = pipeFds[1];
        int code = 1;
        try {
            code = body();
        } catch (...) {
            code = 99;
        }
        ::_exit(code);
    }
    ::close(pipeFds[1]);
    return CChild(pid, pipeFds[0]);
}

void CChild::Tell(const std::string& line) {
    const std::string text = line + "\n";
    if (g_tellFd >= 0)
        (void)!::write(g_tellFd, text.data(), text.size());
}

CChild::CChild(CChild&& other) noexcept
    : m_pid(other.m_pid),
      m_out(other.m_out),
      m_in(other.m_in),
      m_buffer(std::move(other.m_buffer)),
      m_waited(other.m_waited) {
    other.m_pid = -1;
    other.m_out = -1;
    other.m_in = -1;
}

CChild::~CChild() {
    CloseInput();
    if (m_pid > 0 && !m_waited) {
        ::kill(m_pid, SIGKILL);
        Wait();
    }
    if (m_out >= 0)
        ::close(m_out);
}

std::string CChild::ReadLine(int ms) {
    for (;;) {
        const size_t end = m_buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return line;
        }
        pollfd watch{m_out, POLLIN, 0};
        if (::poll(&watch, 1, ms) <= 0)
            return {};
        char chunk[4096];
        const ssize_t n = ::read(m_out, chunk, sizeof chunk);
        if (n <= 0)
            return std::exchange(m_buffer, {});
        m_buffer.append(chunk, static_cast<size_t>(n));
    }
}

void CChild::Say(const std::string& line) {
    const std::string text = line + "\n";
    if (m_in >= 0)
        (void)!::write(m_in, text.data(), text.size());
}

void CChild::CloseInput() {
    if (m_in >= 0)
        ::close(std::exchange(m_in, -1));
}

void CChild::Kill(int signal) {
    if (m_pid > 0 && !m_waited)
        ::kill(m_pid, signal);
}

int CChild::Wait() {
    if (m_pid <= 0)
        return -1;
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_waited = true;
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

}  // namespace tessarin::test
