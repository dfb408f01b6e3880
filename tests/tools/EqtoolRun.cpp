#include "EqtoolRun.h"

#include "platform/SafeFile.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace toliva::test {
namespace {

// A run that takes longer is ended and counts as failed.
constexpr int kTimeoutMs = 120000;

QList<QByteArray> environmentWith(const QList<QByteArray>& settings) {
    QList<QByteArray> env;
    for (char** e = environ; *e; ++e) env << QByteArray(*e);
    for (const QByteArray& setting : settings) {
        const QByteArray name = setting.left(setting.indexOf('=') + 1);
        env.removeIf([&](const QByteArray& e) { return e.startsWith(name); });
        env << setting;
    }
    return env;
}

std::vector<char*> pointers(QList<QByteArray>& list) {
    std::vector<char*> p;
    for (QByteArray& b : list) p.push_back(b.data());
    p.push_back(nullptr);
    return p;
}

}  // namespace

ToolRun eqtool(const QStringList& args, const ToolLimits& limits) {
    // Everything the child needs is made before fork: after it, only calls
    // that are safe in the child of a threaded program run.
    QList<QByteArray> argv{QByteArrayLiteral(EQTOOL_PATH)};
    for (const QString& a : args) argv << EncodeFileName(a);
    QList<QByteArray> env = environmentWith(limits.environment);
    std::vector<char*> argp = pointers(argv);
    std::vector<char*> envp = pointers(env);
    struct rlimit limit {};
    limit.rlim_cur = limit.rlim_max = rlim_t(limits.fileSizeBytes);
    // Pipes, not files: the file-size limit must not cut the messages.
    int out[2], err[2];
    ToolRun r;
    if (::pipe2(out, O_CLOEXEC) != 0) return r;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return r;
    }

    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::dup2(out[1], 1) < 0 || ::dup2(err[1], 2) < 0) ::_exit(127);
        if (limits.fileSizeBytes > 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
        }
        ::execve(argp[0], argp.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    QByteArray outBytes, errBytes;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    QByteArray* sinks[2] = {&outBytes, &errBytes};
    QDeadlineTimer deadline(kTimeoutMs);
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const int ready = ::poll(fds, 2, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            // Stuck (a write into a FIFO that nobody reads, say): ended, it fails.
            if (pid > 0) ::kill(pid, SIGKILL);
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents) continue;
            char chunk[4096];
            const ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                sinks[i]->append(chunk, n);
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
    }
    for (const pollfd& f : fds)
        if (f.fd >= 0) ::close(f.fd);
    if (pid < 0) return r;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    r.out = QString::fromUtf8(outBytes);
    r.err = QString::fromUtf8(errBytes);
    return r;
}

}  // namespace toliva::test
