#include "helpers.h"

#include "exact.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <getopt.h>
#include <gtest/gtest.h>
#include <new>
#include <pthread.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

bool fail_allocations = false;
long state_allocations = 0;
static long states_left = -1; /* in run_within's child: allocations of a state still allowed */
bool fail_new = false;
bool fail_new_otherwise = false;
struct library_failure { /* what fail_new_otherwise throws: no standard exception */
};
bool fail_threads = false;
long fixed_time = -1;

int threads_made = 0;

/* Every form of new and delete, so that all of them pair with malloc and free (a sanitizer
 * checks the pairs), and so that fail_new reaches every allocation made with new. */
void *operator new(size_t size)
{
    if (fail_new_otherwise)
        throw library_failure{};
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

constexpr int STATES_RAN_OUT = 77; /* the exit status of run_within's child past its states */

extern "C" void *__real_malloc(size_t size);
extern "C" void *__wrap_malloc(size_t size)
{
    if (fail_allocations)
        return nullptr;
    if (size == sizeof(sudoku_grid)) {
        state_allocations++;
        if (states_left == 0)
            _exit(STATES_RAN_OUT);
        states_left -= states_left > 0;
    }
    return __real_malloc(size);
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

extern "C" time_t __real_time(time_t *t);
extern "C" time_t __wrap_time(time_t *t)
{
    if (fixed_time < 0)
        return __real_time(t);
    if (t != nullptr)
        *t = fixed_time;
    return fixed_time;
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

/* Runs fn with text as standard input, read from its start. */
static void with_stdin(const std::string &text, const std::function<void()> &fn)
{
    FILE *tmp = tmpfile();
    fwrite(text.data(), 1, text.size(), tmp);
    fflush(tmp);
    lseek(fileno(tmp), 0, SEEK_SET);
    int saved = dup(STDIN_FILENO);
    dup2(fileno(tmp), STDIN_FILENO);
    fn();
    dup2(saved, STDIN_FILENO);
    close(saved);
    fclose(tmp);
}

int run_within(long states, const std::function<std::string()> &fn, std::string *out)
{
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0)
        abort();
    fflush(stdout);
    fflush(stderr);
    pid_t child = fork();
    if (child == 0) {
        close(pipe_ends[0]);
        states_left = states;
        std::string text = fn();
        for (size_t done = 0; done < text.size();) {
            ssize_t n = write(pipe_ends[1], text.data() + done, text.size() - done);
            if (n <= 0)
                _exit(1);
            done += static_cast<size_t>(n);
        }
        _exit(0);
    }
    close(pipe_ends[1]);
    out->clear();
    char buf[4096];
    for (ssize_t n; (n = read(pipe_ends[0], buf, sizeof buf)) > 0;)
        out->append(buf, static_cast<size_t>(n));
    close(pipe_ends[0]);
    int status;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) &&
                (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == STATES_RAN_OUT));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

main_result run_main(const std::vector<std::string> &args, const std::string &input)
{
    std::vector<std::string> words = args;
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    main_result r;
    with_stdin(input, [&] {
        r.err = capture_stderr([&] {
            r.out = capture_stdout([&] {
                optind = 0; /* a fresh getopt scan */
                r.status = sudoku_main(static_cast<int>(words.size()), argv.data());
            });
        });
    });
    return r;
}

grid_ptr read_text(const std::string &text, int *result)
{
    grid_ptr g(init_grid());
    int r = 0;
    with_stdin(text, [&] { r = parse_in(g.get()); });
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
