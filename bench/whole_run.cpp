/* Runs a command many times with a file as standard input and standard output thrown away;
 * prints the median wall time of a run in milliseconds and the largest peak resident set in
 * KiB. Built static and small, so that the memory of this process itself, which a forked child
 * carries until it executes the command, stays far below what is measured.
 *   whole_run RUNS INPUT_FILE COMMAND [ARGS...] */
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: %s RUNS INPUT_FILE COMMAND [ARGS...]\n", argv[0]);
        return 2;
    }
    int runs = atoi(argv[1]);
    static double times[100000];
    long peak = 0;
    for (int k = 0; k < runs && k < 100000; k++) {
        timespec start, end;
        clock_gettime(CLOCK_MONOTONIC, &start);
        pid_t pid = fork();
        if (pid == 0) {
            int in = open(argv[2], O_RDONLY), out = open("/dev/null", O_WRONLY);
            dup2(in, 0);
            dup2(out, 1);
            execvp(argv[3], argv + 3);
            _exit(127);
        }
        int status;
        rusage usage;
        wait4(pid, &status, 0, &usage);
        clock_gettime(CLOCK_MONOTONIC, &end);
        times[k] = (end.tv_sec - start.tv_sec) * 1e3 + (end.tv_nsec - start.tv_nsec) / 1e6;
        peak = std::max(peak, usage.ru_maxrss);
    }
    std::sort(times, times + runs);
    printf("%.3f %ld\n", times[runs / 2], peak);
    return 0;
}
