/* Runs a command many times with a file as standard input and standard output thrown away;
 * prints the median wall time of a run in milliseconds and the largest peak resident set in
 * KiB. Given a second command after "--", it alternates the two, one run each in turn, and
 * prints a line for each: on a noisy machine two commands timed in separate batches can each
 * meet a different load, where runs in turn meet the same. Built static and small, so that the
 * memory of this process itself, which a forked child carries until it executes the command,
 * stays far below what is measured.
 *   whole_run RUNS INPUT_FILE COMMAND [ARGS...] [-- COMMAND [ARGS...]] */
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

/* Runs command once with input on standard input; returns its wall time in milliseconds and
 * raises *peak to its peak resident set. */
static double run(const char *input, char **command, long *peak)
{
    timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t pid = fork();
    if (pid == 0) {
        int in = open(input, O_RDONLY), out = open("/dev/null", O_WRONLY);
        dup2(in, 0);
        dup2(out, 1);
        execvp(command[0], command);
        _exit(127);
    }
    int status;
    rusage usage;
    wait4(pid, &status, 0, &usage);
    clock_gettime(CLOCK_MONOTONIC, &end);
    *peak = std::max(*peak, usage.ru_maxrss);
    return (end.tv_sec - start.tv_sec) * 1e3 + (end.tv_nsec - start.tv_nsec) / 1e6;
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: %s RUNS INPUT_FILE COMMAND [ARGS...] [-- COMMAND [ARGS...]]\n",
                argv[0]);
        return 2;
    }
    int runs = std::min(atoi(argv[1]), 100000), n = 1;
    char **command[2] = {argv + 3, nullptr};
    for (int k = 3; k < argc; k++)
        if (strcmp(argv[k], "--") == 0 && k + 1 < argc) {
            argv[k] = nullptr; /* ends the first command's arguments */
            command[n++] = argv + k + 1;
            break;
        }
    static double times[2][100000];
    long peak[2] = {0, 0};
    for (int k = 0; k < runs; k++)
        for (int c = 0; c < n; c++)
            times[c][k] = run(argv[2], command[c], &peak[c]);
    for (int c = 0; c < n; c++) {
        std::sort(times[c], times[c] + runs);
        printf("%.3f %ld\n", times[c][runs / 2], peak[c]);
    }
    return 0;
}
