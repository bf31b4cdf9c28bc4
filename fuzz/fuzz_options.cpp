/* Fuzz target: option parsing from arbitrary argument vectors (words separated by NUL bytes),
 * each run on the same complete grid so that it ends quickly. */
#include "sudoku.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

static const char GRID[] = "123456789456789123789123456234567891567891234"
                           "891234567345678912678912345912345678";

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (freopen("/dev/null", "w", stdout) == nullptr)
        return 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<std::string> words(1, "sudoku9");
    std::string word;
    for (size_t k = 0; k < size && words.size() < 256; k++) {
        if (data[k] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[k]);
        }
    }
    words.push_back(word);
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    int fd = memfd_create("stdin", 0);
    if (fd < 0 || write(fd, GRID, sizeof GRID - 1) != static_cast<ssize_t>(sizeof GRID - 1))
        abort();
    lseek(fd, 0, SEEK_SET);
    dup2(fd, STDIN_FILENO);
    close(fd);
    optind = 0;
    int status = sudoku_main(static_cast<int>(words.size()), argv.data());
    if (status != 0 && status != 1)
        abort();
    return 0;
}
