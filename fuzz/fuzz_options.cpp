/* Fuzz target: option parsing from arbitrary argument vectors (words separated by NUL bytes),
 * each run on the same complete grid so that it ends quickly. */
#include "fuzz_common.h"
#include "sudoku.h"

#include <string>
#include <vector>

static const char GRID[] = "123456789456789123789123456234567891567891234"
                           "891234567345678912678912345912345678";

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

    set_stdin(GRID, sizeof GRID - 1);
    optind = 0;
    int status = sudoku_main(static_cast<int>(words.size()), argv.data());
    if (status != 0 && status != 1)
        abort();
    return 0;
}
