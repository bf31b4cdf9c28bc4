/* Fuzz target: a whole run of the program on arbitrary standard-input bytes. The first byte
 * picks the options (verbose level, framed output, puzzle making), the rest is the input. */
#include "fuzz_common.h"
#include "sudoku.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    uint8_t flags = data[0];
    char name[] = "sudoku", verbose_flag[] = "-v", framed[] = "-n", make[] = "-m";
    char level[2] = {static_cast<char>('0' + flags % 5), 0};
    char difficulty[2] = {static_cast<char>('1' + (flags >> 4) % 5), 0};
    char *argv[8] = {name};
    int argc = 1;
    if (flags % 5 != 0) {
        argv[argc++] = verbose_flag;
        argv[argc++] = level;
    }
    if (flags & 8)
        argv[argc++] = framed;
    if (flags & 128) {
        argv[argc++] = make;
        argv[argc++] = difficulty;
    }
    argv[argc] = nullptr;
    set_stdin(data + 1, size - 1);
    optind = 0; /* a fresh getopt scan */
    int status = sudoku_main(argc, argv);
    if (status != 0 && status != 1)
        abort();
    return 0;
}
