#include "run_program.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

std::string program(int box_side)
{
    return std::string(SUDOKU_BIN_DIR) + "/sudoku" + std::to_string(box_side * box_side);
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

std::vector<std::string> read_lines(const std::string &path)
{
    std::vector<std::string> lines;
    std::istringstream in(read_file(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

/* A temporary file holding text, open for reading from its start. */
static int temp_file(const std::string &text)
{
    FILE *f = tmpfile();
    fwrite(text.data(), 1, text.size(), f);
    fflush(f);
    int fd = dup(fileno(f));
    fclose(f);
    lseek(fd, 0, SEEK_SET);
    return fd;
}

static std::string slurp(int fd)
{
    std::string text;
    char buf[65536];
    lseek(fd, 0, SEEK_SET);
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        text.append(buf, static_cast<size_t>(n));
    close(fd);
    return text;
}

run_result run_program(const std::string &path, const std::vector<std::string> &args,
                       const std::string &input, const run_streams &streams)
{
    /* SUDOKU_TEST_WRAPPER, e.g. a valgrind command line, runs in front of the program. */
    std::vector<std::string> words;
    if (const char *wrapper = getenv("SUDOKU_TEST_WRAPPER")) {
        std::istringstream in(wrapper);
        for (std::string word; in >> word;)
            words.push_back(word);
    }
    words.push_back(path);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    /* Descriptors 0 to 2 open, so that none of those made below takes their place. */
    for (int fd = 0; fd < 3; fd++)
        if (fcntl(fd, F_GETFD) < 0)
            open("/dev/null", O_RDWR);
    int in_fd = streams.stdin_fd >= 0 ? dup(streams.stdin_fd)
                : streams.stdin_path  ? open(streams.stdin_path, O_RDONLY)
                                      : temp_file(input);
    int out_fd = streams.stdout_path ? open(streams.stdout_path, O_WRONLY) : temp_file("");
    int err_fd = temp_file("");
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in_fd, STDIN_FILENO);
        dup2(out_fd, STDOUT_FILENO);
        dup2(err_fd, STDERR_FILENO);
        rlimit limit = {static_cast<rlim_t>(streams.address_space),
                        static_cast<rlim_t>(streams.address_space)};
        if (streams.address_space != 0 && setrlimit(RLIMIT_AS, &limit) != 0)
            _exit(126);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(in_fd);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    run_result result;
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    if (streams.stdout_path)
        close(out_fd);
    else
        result.out = slurp(out_fd);
    result.err = slurp(err_fd);
    return result;
}

bool solves(int box_side, const std::string &puzzle, const std::string &text)
{
    int size = box_side * box_side;
    char zero = box_side == 3 ? '0' : '`';
    std::string grid, given;
    for (char c : text)
        if (c != '\n')
            grid += c;
    for (char c : puzzle)
        if (c != '\n' && c != '\r')
            given += c;
    if (grid.size() != static_cast<size_t>(size * size))
        return false;
    for (int i = 0; i < size * size; i++) {
        int v = grid[i] - zero;
        if (v < 1 || v > size)
            return false;
        if (i < static_cast<int>(given.size()) && given[i] != zero && given[i] != ' ' &&
            given[i] != grid[i])
            return false;
    }
    for (int a = 0; a < size; a++)
        for (int b = 0; b < size; b++) {
            std::string row, col, box;
            for (int k = 0; k < size; k++) {
                row += grid[a * size + k];
                col += grid[k * size + a];
                int y = a / box_side * box_side + k / box_side;
                int x = a % box_side * box_side + k % box_side;
                box += grid[y * size + x];
            }
            char v = static_cast<char>(zero + b + 1);
            if (row.find(v) == std::string::npos || col.find(v) == std::string::npos ||
                box.find(v) == std::string::npos)
                return false;
        }
    return true;
}
