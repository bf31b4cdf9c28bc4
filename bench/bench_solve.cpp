/* Times the solve of every puzzle of a file in-process, one benchmark per puzzle, with the
 * passes of the solve loop and the guesses it made as counters. Only resolv is timed: the
 * copy of the root it works on is made beforehand. Built with SUDOKU_DIRECT (a solver that has
 * resolv_direct), each puzzle also has a benchmark "/default" that times resolv_direct, the
 * solve of a run that shows neither the steps nor the counters; with SUDOKU_COUNTED (one that
 * has resolv_counted), a benchmark "/framed" that times the solve of a framed run.
 *   bench_solveN PUZZLE_FILE [benchmark flags]
 * Built against any version of the solver's source, so that two can be compared. */
#include "sudoku.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>
#include <x86intrin.h>

static long allocations; /* states allocated: the solve allocates one per guess */

extern "C" void *__real_malloc(size_t size);
extern "C" void *__wrap_malloc(size_t size)
{
    allocations++;
    return __real_malloc(size);
}

/* Runs fn with file descriptor fd on a temporary file holding text (or receiving output);
 * returns what the file holds afterwards. */
template <typename F> static std::string with_fd_on_file(int fd, const std::string &text, F fn)
{
    FILE *tmp = tmpfile();
    fwrite(text.data(), 1, text.size(), tmp);
    fflush(tmp);
    rewind(tmp);
    fflush(stdout);
    int saved = dup(fd);
    dup2(fileno(tmp), fd);
    fn();
    fflush(stdout);
    dup2(saved, fd);
    close(saved);
    std::string out;
    rewind(tmp);
    for (int c; (c = fgetc(tmp)) != EOF;)
        out += static_cast<char>(c);
    fclose(tmp);
    return out;
}

/* Returns a fresh heap copy of root, as the reader leaves it for the solve. */
static sudoku_grid *copy_of(const sudoku_grid &root)
{
    sudoku_grid *g = static_cast<sudoku_grid *>(malloc(sizeof root));
    *g = root;
    return g;
}

/* Solves a fresh copy of root and frees every state. */
static void solve_copy(const sudoku_grid &root)
{
    sudoku_grid *g = copy_of(root);
    sudoku_grid *solved = resolv(g);
    free_sudoku(solved != nullptr ? solved : g);
}

/* Returns the time stamp counter's ticks per second, measured against the steady clock. */
static double ticks_per_second(void)
{
    auto start = std::chrono::steady_clock::now();
    unsigned long long first = __rdtsc();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(20))
        ;
    unsigned long long last = __rdtsc();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return static_cast<double>(last - first) / seconds;
}

/* Times solve (resolv or resolv_direct) alone on a fresh copy of root, made and freed outside
 * the timed part (with the time stamp counter: the clock's own cost would weigh on the quickest
 * solves); returns the seconds it took. */
static double time_solve(const sudoku_grid &root, double tick_rate,
                         sudoku_grid *(*solve)(sudoku_grid *))
{
    sudoku_grid *g = copy_of(root);
    unsigned long long start = __rdtsc();
    sudoku_grid *solved = solve(g);
    unsigned long long stop = __rdtsc();
    free_sudoku(solved != nullptr ? solved : g);
    return static_cast<double>(stop - start) / tick_rate;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s PUZZLE_FILE [benchmark flags]\n", argv[0]);
        return 2;
    }
    FILE *in = fopen(argv[1], "r");
    if (in == nullptr) {
        perror(argv[1]);
        return 2;
    }
    std::string name = argv[1];
    name = name.substr(name.rfind('/') + 1);
    std::vector<sudoku_grid> roots;
    char line[4096];
    while (fgets(line, sizeof line, in) != nullptr) {
        sudoku_grid *g = init_grid();
        with_fd_on_file(STDIN_FILENO, line, [&] { parse_in(g); });
        roots.push_back(*g);
        free(g);
    }
    fclose(in);
    double tick_rate = ticks_per_second();
    for (size_t k = 0; k < roots.size(); k++) {
        const sudoku_grid *root = &roots[k];
        auto run = [root, tick_rate](benchmark::State &state) {
            for (auto _ : state)
                state.SetIterationTime(time_solve(*root, tick_rate, resolv));
            long before = allocations;
            verbose = 1;
            std::string progress = with_fd_on_file(STDOUT_FILENO, "", [&] { solve_copy(*root); });
            verbose = 0;
            state.counters["guesses"] = static_cast<double>(allocations - before - 1);
            state.counters["passes"] =
                static_cast<double>(std::count(progress.begin(), progress.end(), '\n'));
        };
        benchmark::RegisterBenchmark((name + ":" + std::to_string(k + 1)).c_str(), run)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
#ifdef SUDOKU_DIRECT
        auto run_direct = [root, tick_rate](benchmark::State &state) {
            for (auto _ : state)
                state.SetIterationTime(time_solve(
                    *root, tick_rate, [](sudoku_grid *g) { return resolv_direct(g, PATIENCE); }));
        };
        benchmark::RegisterBenchmark((name + ":" + std::to_string(k + 1) + "/default").c_str(),
                                     run_direct)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
#endif
#ifdef SUDOKU_COUNTED
        auto run_counted = [root, tick_rate](benchmark::State &state) {
            for (auto _ : state)
                state.SetIterationTime(time_solve(
                    *root, tick_rate, [](sudoku_grid *g) { return resolv_counted(g, PATIENCE); }));
        };
        benchmark::RegisterBenchmark((name + ":" + std::to_string(k + 1) + "/framed").c_str(),
                                     run_counted)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
#endif
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
