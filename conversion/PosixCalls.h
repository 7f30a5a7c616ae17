#pragma once
// The system calls behind the POSIX file services' retry loops, reached through one
// table so that tests can make them fail, stop short or be interrupted without touching
// the disk. The product never changes the table.

#include <sys/types.h>

#include <cstddef>

namespace posix_calls {

struct Calls {
    ssize_t (*write)(int fd, const void* data, size_t size);
    ssize_t (*pread)(int fd, void* buffer, size_t size, off_t offset);
};

// The table in use; starts with the system's own calls.
Calls& calls();

}  // namespace posix_calls
