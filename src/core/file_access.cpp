#include "core/file_access.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/code_page.h"

// Fault injection for tests: writes left before one fails (0 = never), and
// whether renames fail.
static int writes_until_failure = 0;
static bool renames_fail = false;
// Bytes the injected full disk still takes; -1 when no disk is full.
static int64_t disk_room = -1;

// Why the last open_read or read_whole_file failed.
static file_problem last_problem = file_ok;
// Why the last open, write or save end failed, by the system's error.
static file_failure last_failure = failure_none;
// Names are the system's bytes already (a command line's), not code page 1251.
static bool names_as_given = false;

// Notes the system's error code of a failed call as the last failure.
static void note_failure(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: last_failure = failure_missing; break;
    case EACCES:
    case EPERM:
    case EROFS: last_failure = failure_no_permission; break;
    case ENOSPC:
    case EDQUOT: last_failure = failure_disk_full; break;
    case ENAMETOOLONG: last_failure = failure_bad_name; break;
    default: last_failure = failure_other; break;
    }
}

// Writes the UTF-8 bytes of code at out[n..]; false when they do not fit
// before the terminator's place.
static bool put_utf8(uint32_t code, char* out, int& n, int capacity)
{
    char bytes[3];
    const int length = encode_utf8(code, bytes);
    if (n + length >= capacity)
        return false;
    for (int i = 0; i < length; ++i)
        out[n++] = bytes[i];
    return true;
}

bool native_path(const char* name, char* out, int capacity)
{
    int n = 0;
    for (const auto* s = reinterpret_cast<const unsigned char*>(name); *s != 0; ++s) {
        uint32_t code = *s == '\\' ? '/' : *s;
        if (code >= 0x80 && !names_as_given) {
            code = cp1251_to_unicode(*s);
            // The one byte without a character cannot be spelt on disk.
            if (code == 0)
                return false;
        }
        if (code >= 0x80 && names_as_given) {
            if (n + 1 >= capacity)
                return false;
            out[n++] = static_cast<char>(*s);
        } else if (!put_utf8(code, out, n, capacity)) {
            return false;
        }
    }
    if (capacity <= 0)
        return false;
    out[n] = 0;
    return true;
}

void take_names_as_given(bool as_given)
{
    names_as_given = as_given;
}

// The path of name for the system; false (a bad name noted) when it cannot
// be spelt there.
static bool system_path(const char* name, char (&path)[max_path_length])
{
    if (native_path(name, path, sizeof path))
        return true;
    last_failure = failure_bad_name;
    return false;
}

file_id open_read(const char* name)
{
    errno = 0;
    last_problem = file_cannot_open;
    char path[max_path_length];
    if (!system_path(name, path))
        return invalid_file;
    // Without O_NONBLOCK the open of a named pipe waits for a writer, for
    // ever if none comes; with it the open returns at once and the check
    // below refuses the pipe. O_NOCTTY: a terminal named by mistake must not
    // become the process's own.
    int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        note_failure(errno);
        return invalid_file;
    }
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

// Creates or truncates the file at a path already in the system's spelling.
static file_id open_system_write(const char* path)
{
    int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        note_failure(errno);
    return fd < 0 ? invalid_file : fd;
}

file_id open_write(const char* name)
{
    char path[max_path_length];
    if (!system_path(name, path))
        return invalid_file;
    return open_system_write(path);
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
        last_failure = failure_disk_full;
        return half > 0 ? static_cast<int>(half) : 0;
    }
    if (disk_room >= 0 && n > disk_room) {
        // The injected full disk: what still fits is written, then nothing.
        int fits = static_cast<int>(disk_room);
        ssize_t put = fits > 0 ? ::write(file, buffer, fits) : 0;
        disk_room = 0;
        last_failure = failure_disk_full;
        return put > 0 ? static_cast<int>(put) : 0;
    }
    auto* bytes = static_cast<const char*>(buffer);
    int done = 0;
    while (done < n) {
        ssize_t put = ::write(file, bytes + done, n - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            // A write that takes nothing without an error is a full disk.
            note_failure(put < 0 ? errno : ENOSPC);
            break;
        }
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

file_failure last_file_failure()
{
    return last_failure;
}

void forget_file_problem()
{
    last_problem = file_ok;
    last_failure = failure_none;
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
    if (!system_path(name, file.path))
        return false;
    int n = std::snprintf(file.temp_path, sizeof file.temp_path, "%s.saving", file.path);
    if (n < 0 || n >= static_cast<int>(sizeof file.temp_path)) {
        last_failure = failure_bad_name;
        return false;
    }
    file.handle = open_system_write(file.temp_path);
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
    bool ok = !file.failed;
    if (ok && ::fsync(file.handle) != 0) {
        note_failure(errno);
        ok = false;
    }
    if (::close(file.handle) != 0 && ok) {
        note_failure(errno);
        ok = false;
    }
    file.handle = invalid_file;
    if (ok && renames_fail)
        last_failure = failure_other;
    else if (ok && ::rename(file.temp_path, file.path) == 0)
        return true;
    else if (ok)
        note_failure(errno);
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

bool file_exists(const char* name)
{
    char path[max_path_length];
    struct stat info;
    return native_path(name, path, sizeof path) && ::stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

// --- Listing a folder ------------------------------------------------------------

// A byte of a code page 1251 name with its case folded: Latin and Cyrillic
// capitals sort with their small letters.
static unsigned fold_case(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c + ('a' - 'A');
    if (c >= 0xC0 && c <= 0xDF)
        return c + 0x20;
    if (c == 0xA8)  // Ё sorts as ё
        return 0xB8;
    return c;
}

// Alphabetical order of two code page 1251 names: case folded, then byte
// for byte, so that the order is total.
static int compare_names(const char* a, const char* b)
{
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    for (int i = 0;; ++i) {
        unsigned p = fold_case(x[i]), q = fold_case(y[i]);
        if (p != q)
            return p < q ? -1 : 1;
        if (x[i] == 0)
            break;
    }
    return std::strcmp(a, b);
}

// The code page 1251 spelling of a UTF-8 file name cut before length bytes
// into out; false when a character has no byte, the name could not be
// opened again by that spelling (a backslash, control characters) or it
// does not fit a listed name.
static bool listed_spelling(const char* name, size_t length, char (&out)[listed_name_size])
{
    if (length == 0 || name[0] == '.')
        return false;
    size_t n = 0;
    for (size_t i = 0; i < length;) {
        uint32_t code = 0;
        int used = 1;
        uint8_t byte = 0;
        if (!decode_utf8(name + i, code, used) || !unicode_to_cp1251(code, byte))
            return false;
        if (byte < 32 || byte == '\\' || n + 1 >= sizeof out)
            return false;
        out[n++] = static_cast<char>(byte);
        i += static_cast<size_t>(used);
    }
    out[n] = 0;
    return true;
}

// Puts name into its place in the sorted names (count of them, at most
// capacity): a name after a full table's last is left out.
static void insert_sorted(const char* name, char (*names)[listed_name_size], int& count, int capacity)
{
    int place = count;
    while (place > 0 && compare_names(name, names[place - 1]) < 0)
        --place;
    if (place >= capacity)
        return;
    int last = count < capacity ? count : capacity - 1;
    for (int i = last; i > place; --i)
        std::memcpy(names[i], names[i - 1], listed_name_size);
    std::memcpy(names[place], name, listed_name_size);
    if (count < capacity)
        ++count;
}

int list_files(const char* folder, const char* extension, char (*names)[listed_name_size], int capacity)
{
    char path[max_path_length];
    if (capacity <= 0 || !native_path(folder, path, sizeof path))
        return 0;
    DIR* dir = ::opendir(path);
    if (dir == nullptr)
        return 0;
    size_t folder_length = std::strlen(path);
    size_t extension_length = std::strlen(extension);
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        size_t length = std::strlen(name);
        if (length <= extension_length || std::strcmp(name + length - extension_length, extension) != 0)
            continue;
        char spelling[listed_name_size];
        if (!listed_spelling(name, length - extension_length, spelling))
            continue;
        // Only regular files (a link to one too): a folder named "x.map" is no map.
        char file[max_path_length];
        struct stat info;
        const char* slash = folder_length > 0 && path[folder_length - 1] != '/' ? "/" : "";
        int n = std::snprintf(file, sizeof file, "%s%s%s", path, slash, name);
        if (n < 0 || n >= static_cast<int>(sizeof file) || ::stat(file, &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        insert_sorted(spelling, names, count, capacity);
    }
    ::closedir(dir);
    return count;
}
