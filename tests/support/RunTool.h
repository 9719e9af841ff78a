#pragma once
// Runs a command-line tool (ffprobe, ffmpeg) and returns what it printed, through
// posix_spawn rather than QProcess: the tests that use it also run under ThreadSanitizer,
// whose runtime cannot follow the way QProcess forks from a program with threads.
#include <QByteArray>
#include <QStringList>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

inline QByteArray runTool(const QStringList& command) {
    std::vector<QByteArray> words;
    for (const QString& w : command)
        words.push_back(w.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    QByteArray text;
    char buf[4096];
    for (ssize_t n; rc == 0 && (n = read(out[0], buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<qsizetype>(n));
    close(out[0]);
    if (rc == 0)
        waitpid(pid, nullptr, 0);
    return text;
}
