#include "core/file_access.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Fault injection for tests: writes left before one fails (0 = never), and
// whether renames fail.
static int writes_until_failure = 0;
static bool renames_fail = false;
// Bytes the injected full disk still takes; -1 when no disk is full.
static int64_t disk_room = -1;

// Why the last open_read or read_whole_file failed.
static file_problem last_problem = file_ok;

bool native_path(const char* name, char* out, int capacity)
{
    int n = 0;
    for (; name[n] != 0; ++n) {
        if (n + 1 >= capacity)
            return false;
        out[n] = name[n] == '\\' ? '/' : name[n];
    }
    out[n] = 0;
    return true;
}

file_id open_read(const char* name)
{
    errno = 0;
    last_problem = file_cannot_open;
    char path[max_path_length];
    if (!native_path(name, path, sizeof path))
        return invalid_file;
    // Without O_NONBLOCK the open of a named pipe waits for a writer, for
    // ever if none comes; with it the open returns at once and the check
    // below refuses the pipe. O_NOCTTY: a terminal named by mistake must not
    // become the process's own.
    int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return invalid_file;
    struct stat info;
    if (fstat(fd, &info) != 0) {
        ::close(fd);
        return invalid_file;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        last_problem = file_not_regular;
        return invalid_file;
    }
    // A regular file reads the same either way; the flag goes so that the
    // handle behaves as an ordinary one.
    int flags = fcntl(fd, F_GETFL);
    if (flags != -1)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    last_problem = file_ok;
    return fd;
}

file_id open_write(const char* name)
{
    char path[max_path_length];
    if (!native_path(name, path, sizeof path))
        return invalid_file;
    int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd < 0 ? invalid_file : fd;
}

int read_bytes(file_id file, void* buffer, int n)
{
    auto* bytes = static_cast<char*>(buffer);
    int done = 0;
    while (done < n) {
        ssize_t got = ::read(file, bytes + done, n - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<int>(got);
    }
    return done;
}

int write_bytes(file_id file, const void* buffer, int n)
{
    if (writes_until_failure > 0 && --writes_until_failure == 0) {
        // The injected fault: half the bytes reach the file, then the disk is full.
        ssize_t half = ::write(file, buffer, n / 2);
        return half > 0 ? static_cast<int>(half) : 0;
    }
    if (disk_room >= 0 && n > disk_room) {
        // The injected full disk: what still fits is written, then nothing.
        int fits = static_cast<int>(disk_room);
        ssize_t put = fits > 0 ? ::write(file, buffer, fits) : 0;
        disk_room = 0;
        return put > 0 ? static_cast<int>(put) : 0;
    }
    auto* bytes = static_cast<const char*>(buffer);
    int done = 0;
    while (done < n) {
        ssize_t put = ::write(file, bytes + done, n - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            break;
        done += static_cast<int>(put);
    }
    if (disk_room >= 0)
        disk_room -= done;
    return done;
}

void close_file(file_id file)
{
    if (file != invalid_file)
        ::close(file);
}

int64_t file_size(file_id file)
{
    struct stat info;
    if (fstat(file, &info) != 0)
        return -1;
    return info.st_size;
}

int64_t read_whole_file(const char* name, void* buffer, int64_t max_bytes)
{
    file_id file = open_read(name);
    if (file == invalid_file)
        return -1;
    int64_t size = file_size(file);
    if (size < 0 || size > max_bytes) {
        close_file(file);
        last_problem = size < 0 ? file_unreadable : file_too_large;
        return -1;
    }
    int64_t got = read_bytes(file, buffer, static_cast<int>(size));
    close_file(file);
    if (got != size) {
        last_problem = file_unreadable;
        return -1;
    }
    return size;
}

file_problem last_file_problem()
{
    return last_problem;
}

const char* file_problem_text(file_problem problem)
{
    switch (problem) {
    case file_ok: return "";
    case file_cannot_open: return "the file cannot be opened";
    case file_not_regular: return "the file is not a regular file (a folder, pipe or device)";
    case file_unreadable: return "the file cannot be read";
    case file_too_large: return "the file is larger than any valid file of its kind";
    }
    return "the file cannot be opened";
}

bool begin_save(save_file& file, const char* name)
{
    file.handle = invalid_file;
    file.failed = false;
    if (!native_path(name, file.path, sizeof file.path))
        return false;
    int n = std::snprintf(file.temp_path, sizeof file.temp_path, "%s.saving", file.path);
    if (n < 0 || n >= static_cast<int>(sizeof file.temp_path))
        return false;
    file.handle = open_write(file.temp_path);
    return file.handle != invalid_file;
}

void save_bytes(save_file& file, const void* data, int n)
{
    if (file.failed)
        return;
    if (write_bytes(file.handle, data, n) != n)
        file.failed = true;
}

void save_u8(save_file& file, int32_t value)
{
    uint8_t byte = static_cast<uint8_t>(value);
    save_bytes(file, &byte, 1);
}

void save_u16(save_file& file, int32_t value)
{
    uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    save_bytes(file, bytes, 2);
}

void save_i32(save_file& file, int32_t value)
{
    uint32_t v = static_cast<uint32_t>(value);
    uint8_t bytes[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                        static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    save_bytes(file, bytes, 4);
}

bool end_save(save_file& file)
{
    if (file.handle == invalid_file)
        return false;
    bool ok = !file.failed && ::fsync(file.handle) == 0;
    ok = ::close(file.handle) == 0 && ok;
    file.handle = invalid_file;
    if (ok && !renames_fail && ::rename(file.temp_path, file.path) == 0)
        return true;
    ::unlink(file.temp_path);
    return false;
}

void inject_write_failure(int nth_write)
{
    writes_until_failure = nth_write > 0 ? nth_write : 0;
}

void inject_rename_failure(bool fail_renames)
{
    renames_fail = fail_renames;
}

void inject_disk_full(int64_t bytes_free)
{
    disk_room = bytes_free >= 0 ? bytes_free : -1;
}
