// hemu-jetread OLD.xb STAGING: copies every user table of an old Jet 4 account set into a new
// SQLite staging file for the converter. A separate program so that a damaged old file, which
// can make the reading library crash or loop, takes down nothing but this process.

#include "jeterror.h"
#include "jetfile.h"
#include "stagingwriter.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

using namespace hemu::jetread;

namespace {

// What the crash handler needs, prepared before anything can crash.
char g_staging[4096];
char g_journal[4096 + 16];
volatile sig_atomic_t g_stagingOurs = 0;

extern "C" void onCrash(int)
{
    if (g_stagingOurs) {
        unlink(g_staging);
        unlink(g_journal);
    }
    static const char message[] = "\n旧格式套帐文件已损坏，读取时出错。\n";
    ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    _exit(ExitDamaged);
}

void installCrashHandler()
{
    static char altStack[64 * 1024];
    stack_t ss{};
    ss.ss_sp = altStack;
    ss.ss_size = sizeof altStack;
    sigaltstack(&ss, nullptr);
    struct sigaction sa{};
    sa.sa_handler = onCrash;
    sa.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigaction(sig, &sa, nullptr);
    // A caller that stops listening to the progress lines does not end the copy.
    signal(SIGPIPE, SIG_IGN);
}

int run(const std::string &oldPath, const std::string &stagingPath, std::FILE *progressOut)
{
    JetFile jet(oldPath);
    StagingWriter staging(stagingPath);
    g_stagingOurs = 1;
    for (const std::string &message : jet.catalogWarnings())
        staging.warning("MSysObjects", message);
    for (const std::string &name : jet.tableNames()) {
        const long long rows = jet.readTable(name, staging, [&](long long soFar) {
            std::fprintf(progressOut, "progress %s %lld\n", name.c_str(), soFar);
            std::fflush(progressOut);
        });
        staging.end(rows);
        if (rows % 50000 != 0 || rows == 0)
            std::fprintf(progressOut, "progress %s %lld\n", name.c_str(), rows);
        std::fflush(progressOut);
    }
    staging.commit();
    return ExitDone;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "用法：hemu-jetread 旧格式套帐文件 临时文件\n");
        return ExitOther;
    }
    const std::string stagingPath = argv[2];
    if (stagingPath.size() >= sizeof g_staging) {
        std::fprintf(stderr, "临时文件的路径太长。\n");
        return ExitCannotWrite;
    }
    std::strcpy(g_staging, stagingPath.c_str());
    std::strcpy(g_journal, (stagingPath + "-journal").c_str());
    installCrashHandler();

    // Standard output carries only the progress lines: whatever the reading library prints
    // goes to standard error.
    std::fflush(stdout);
    const int progressFd = dup(STDOUT_FILENO);
    std::FILE *progressOut = progressFd >= 0 ? fdopen(progressFd, "w") : nullptr;
    dup2(STDERR_FILENO, STDOUT_FILENO);
    if (!progressOut)
        progressOut = stderr;

    try {
        const int code = run(argv[1], stagingPath, progressOut);
        g_stagingOurs = 0;
        return code;
    } catch (const JetError &e) {
        g_stagingOurs = 0;
        std::fflush(stdout);
        std::fprintf(stderr, "\n%s\n", e.message.c_str());
        return e.code;
    } catch (const std::bad_alloc &) {
        g_stagingOurs = 0;
        std::fprintf(stderr, "\n内存不足，无法读取旧格式套帐文件。\n");
        return ExitOther;
    }
}
