#include "helpers.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <pthread.h>
#include <unistd.h>
#include <utility>

bool fail_allocations = false;
bool fail_new = false;
bool fail_threads = false;
int threads_made = 0;

/* Every form of new and delete, so that all of them pair with malloc and free (a sanitizer
 * checks the pairs), and so that fail_new reaches every allocation made with new. */
void *operator new(size_t size)
{
    void *p = fail_new ? nullptr : malloc(size);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}
void *operator new[](size_t size)
{
    return operator new(size);
}
void *operator new(size_t size, const std::nothrow_t &) noexcept
{
    return fail_new ? nullptr : malloc(size);
}
void *operator new[](size_t size, const std::nothrow_t &) noexcept
{
    return fail_new ? nullptr : malloc(size);
}
void operator delete(void *p) noexcept
{
    free(p);
}
void operator delete[](void *p) noexcept
{
    free(p);
}
void operator delete(void *p, size_t) noexcept
{
    free(p);
}
void operator delete[](void *p, size_t) noexcept
{
    free(p);
}
void operator delete(void *p, const std::nothrow_t &) noexcept
{
    free(p);
}
void operator delete[](void *p, const std::nothrow_t &) noexcept
{
    free(p);
}

extern "C" void *__real_malloc(size_t size);
extern "C" void *__wrap_malloc(size_t size)
{
    return fail_allocations ? nullptr : __real_malloc(size);
}

extern "C" int __real_pthread_create(pthread_t *thread, const pthread_attr_t *attr,
                                     void *(*start)(void *), void *arg);
extern "C" int __wrap_pthread_create(pthread_t *thread, const pthread_attr_t *attr,
                                     void *(*start)(void *), void *arg)
{
    if (fail_threads)
        return EAGAIN;
    int made = __real_pthread_create(thread, attr, start, arg);
    threads_made += made == 0;
    return made;
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

grid_ptr copy_of(const sudoku_grid *g)
{
    sudoku_grid *copy = static_cast<sudoku_grid *>(malloc(sizeof *g));
    *copy = *g;
    return grid_ptr(copy);
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

int test_random::below(int n)
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<int>((z ^ (z >> 31)) % static_cast<uint64_t>(n));
}

/* Returns 0 to SIZE - 1 in an order that keeps each band (SQ in a row) together. */
static std::vector<int> shuffled_by_bands(test_random *r)
{
    std::vector<int> bands(SQ), order;
    for (int k = 0; k < SQ; k++)
        bands[k] = k;
    for (int k = SQ - 1; k > 0; k--)
        std::swap(bands[k], bands[r->below(k + 1)]);
    for (int band : bands) {
        std::vector<int> in(SQ);
        for (int k = 0; k < SQ; k++)
            in[k] = band * SQ + k;
        for (int k = SQ - 1; k > 0; k--)
            std::swap(in[k], in[r->below(k + 1)]);
        order.insert(order.end(), in.begin(), in.end());
    }
    return order;
}

std::vector<int> random_solution(test_random *r)
{
    std::vector<int> rows = shuffled_by_bands(r), cols = shuffled_by_bands(r), name(SIZE + 1);
    for (int v = 0; v <= SIZE; v++)
        name[v] = v;
    for (int v = SIZE; v > 1; v--)
        std::swap(name[v], name[1 + r->below(v)]);
    bool transposed = r->below(2) == 1;
    std::vector<int> values(NB_CELLS);
    for (int y = 0; y < SIZE; y++)
        for (int x = 0; x < SIZE; x++)
            values[y * SIZE + x] =
                name[transposed ? solved_value(rows[y], cols[x]) : solved_value(cols[x], rows[y])];
    return values;
}

std::vector<int> random_puzzle(test_random *r, int least, std::vector<int> *full)
{
    std::vector<int> values = random_solution(r);
    if (full != nullptr)
        *full = values;
    int keep = least + r->below(1001 - least);
    for (int &v : values)
        if (r->below(1000) >= keep)
            v = 0;
    return values;
}

std::string text_of(const std::vector<int> &values)
{
    std::string text;
    for (int v : values)
        text += v == 0 ? ' ' : value_char(v);
    return text;
}
