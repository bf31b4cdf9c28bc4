#include "helpers.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

bool fail_allocations = false;

extern "C" void *__real_malloc(size_t size);
extern "C" void *__wrap_malloc(size_t size)
{
    return fail_allocations ? nullptr : __real_malloc(size);
}

/* Runs fn with file descriptor fd sent to a temporary file; returns what was written. */
static std::string capture_fd(int fd, FILE *stream, const std::function<void()> &fn)
{
    fflush(stream);
    FILE *tmp = tmpfile();
    int saved = dup(fd);
    dup2(fileno(tmp), fd);
    fn();
    fflush(stream);
    dup2(saved, fd);
    close(saved);
    std::string out;
    rewind(tmp);
    int c;
    while ((c = fgetc(tmp)) != EOF)
        out += static_cast<char>(c);
    fclose(tmp);
    return out;
}

std::string capture_stdout(const std::function<void()> &fn)
{
    return capture_fd(STDOUT_FILENO, stdout, fn);
}

std::string capture_stderr(const std::function<void()> &fn)
{
    return capture_fd(STDERR_FILENO, stderr, fn);
}

grid_ptr read_text(const std::string &text, int *result)
{
    FILE *tmp = tmpfile();
    fwrite(text.data(), 1, text.size(), tmp);
    fflush(tmp);
    lseek(fileno(tmp), 0, SEEK_SET);
    int saved = dup(STDIN_FILENO);
    dup2(fileno(tmp), STDIN_FILENO);
    grid_ptr g(init_grid());
    int r = parse_in(g.get());
    dup2(saved, STDIN_FILENO);
    close(saved);
    fclose(tmp);
    if (result != nullptr)
        *result = r;
    else
        EXPECT_EQ(r, 0) << "the reader refused the text";
    return g;
}

char value_char(int v)
{
    return static_cast<char>(ZERO_CHAR + v);
}

int solved_value(int x, int y)
{
    return (x + SQ * (y % SQ) + y / SQ) % SIZE + 1;
}

std::string solved_text()
{
    std::string text;
    for (int y = 0; y < SIZE; y++)
        for (int x = 0; x < SIZE; x++)
            text += value_char(solved_value(x, y));
    return text;
}

std::string with_cell(std::string text, int x, int y, int v)
{
    text[y * SIZE + x] = value_char(v);
    return text;
}
