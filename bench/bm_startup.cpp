// From process start until the control panel has been shown, on an existing
// database, offscreen: the wait a user has before Tallyfin answers.
//
// The executable is copied into a temporary program folder that holds a
// database (the program reads everything from its own folder), then started
// again and again. TALLYFIN_EXIT_WHEN_SHOWN makes it quit right after the
// panel's first paint, so each run's wall time covers loading, start-up,
// showing the panel and exiting.

#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

struct ProgramFolder
{
    QTemporaryDir dir;
    QString exe;
    QString error;

    ProgramFolder()
    {
        exe = dir.filePath(QStringLiteral("tallyfin"));
        if (!QFile::copy(QStringLiteral(TF_TALLYFIN_EXE), exe)) {
            error = QStringLiteral("cannot copy the executable");
            return;
        }
        const tf::Status s = tf::createDatabase(dir.filePath(tf::kDatabaseFileName));
        if (!s.ok)
            error = s.error;
    }
};

struct Run
{
    double wall = -1; // seconds; negative when the run failed
    double cpu = 0;   // seconds of processor time the program used
};

// Runs the program once.
Run runOnce(const QString &exe)
{
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string entry(*e);
        if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("TALLYFIN_EXIT_WHEN_SHOWN=", 0) != 0)
            env.push_back(entry);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("TALLYFIN_EXIT_WHEN_SHOWN=1");
    std::vector<char *> envp;
    for (std::string &s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    const std::string path = QFile::encodeName(exe).toStdString();
    std::string arg0 = path;
    char *argv[] = {arg0.data(), nullptr};

    // The program's own chatter (Qt's notes about the offscreen platform) stays out of the report.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, path.c_str(), &quiet, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return {};
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

void BM_StartupToPanel(benchmark::State &state)
{
    ProgramFolder folder;
    if (!folder.error.isEmpty()) {
        state.SkipWithError(folder.error.toStdString().c_str());
        return;
    }
    // One start to bring the executable and libraries into the page cache.
    if (runOnce(folder.exe).wall < 0) {
        state.SkipWithError("the program did not start and exit cleanly");
        return;
    }
    double cpu = 0;
    for ([[maybe_unused]] auto _ : state) {
        const Run run = runOnce(folder.exe);
        if (run.wall < 0) {
            state.SkipWithError("the program did not start and exit cleanly");
            return;
        }
        state.SetIterationTime(run.wall);
        cpu += run.cpu;
    }
    // Processor time of the program itself, less sensitive to a busy machine than the wall time.
    state.counters["program_cpu_ms"] = benchmark::Counter(cpu * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StartupToPanel)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(21)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
