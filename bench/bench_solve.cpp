/* Times the solve of every puzzle of a file in-process, one benchmark per puzzle, with the
 * passes of the solve loop and the guesses it made as counters.
 *   bench_solveN PUZZLE_FILE [benchmark flags]
 * Built against any version of the solver's source, so that two can be compared. */
#include "sudoku.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

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

/* Solves a fresh copy of root and frees every state. */
static void solve_copy(const sudoku_grid &root)
{
    sudoku_grid *g = static_cast<sudoku_grid *>(malloc(sizeof root));
    *g = root;
    sudoku_grid *solved = resolv(g);
    free_sudoku(solved != nullptr ? solved : g);
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
    for (size_t k = 0; k < roots.size(); k++) {
        const sudoku_grid *root = &roots[k];
        auto run = [root](benchmark::State &state) {
            for (auto _ : state)
                solve_copy(*root);
            long before = allocations;
            verbose = 1;
            std::string progress = with_fd_on_file(STDOUT_FILENO, "", [&] { solve_copy(*root); });
            verbose = 0;
            state.counters["guesses"] = static_cast<double>(allocations - before - 1);
            state.counters["passes"] =
                static_cast<double>(std::count(progress.begin(), progress.end(), '\n'));
        };
        benchmark::RegisterBenchmark((name + ":" + std::to_string(k + 1)).c_str(), run)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
