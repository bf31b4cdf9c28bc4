/* Runs a built program as a user would: bytes on standard input, both output streams and the
 * exit status collected. */
#ifndef RUN_PROGRAM_H
#define RUN_PROGRAM_H

#include <string>
#include <vector>

struct run_result {
    std::string out; /* standard output */
    std::string err; /* standard error */
    int status;      /* exit status, or 128 + the signal that ended it */
};

/* Where the input comes from and the output goes, when not from and to plain files; and the
 * program's limits. */
struct run_streams {
    int stdin_fd = -1;                 /* an open descriptor to read from, shared with the caller */
    const char *stdin_path = nullptr;  /* a path to open as standard input */
    const char *stdout_path = nullptr; /* a path to open as standard output */
    long address_space = 0;            /* bytes of address space the program may map, if not 0 */
};

/* The path of sudoku9, sudoku16 or sudoku25 for a box side of 3, 4 or 5. */
std::string program(int box_side);

/* Runs path with args (argv[0] is path) and input as standard input. */
run_result run_program(const std::string &path, const std::vector<std::string> &args,
                       const std::string &input, const run_streams &streams = run_streams());

/* The contents of a file, and its lines. */
std::string read_file(const std::string &path);
std::vector<std::string> read_lines(const std::string &path);

/* Whether text is a complete valid grid for the box side, with every given of puzzle kept;
 * both are one grid in the programs' characters (line feeds ignored). */
bool solves(int box_side, const std::string &puzzle, const std::string &text);

#endif
