/* What both fuzz targets need: output thrown away, and standard input made of given bytes. */
#ifndef FUZZ_COMMON_H
#define FUZZ_COMMON_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    return freopen("/dev/null", "w", stdout) == nullptr;
}

/* Makes standard input a file holding data, read from its start. */
static void set_stdin(const void *data, size_t size)
{
    int fd = memfd_create("stdin", 0);
    if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size))
        abort();
    lseek(fd, 0, SEEK_SET);
    dup2(fd, STDIN_FILENO);
    close(fd);
}

#endif
