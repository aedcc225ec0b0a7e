// File access: thin wrappers over POSIX files, and the atomic save that every
// saver uses. Paths are written as the program spells them
// ("data\map\single.map"): the wrappers turn every '\' into '/'.
#pragma once

#include <cstdint>

// An open file; invalid_file when an open failed.
using file_id = int;
constexpr file_id invalid_file = -1;

// The longest path the wrappers accept, terminator included.
constexpr int max_path_length = 1024;

// Why the last open_read or read_whole_file gave nothing.
enum file_problem : int32_t {
    file_ok = 0,           // the last open or read succeeded
    file_cannot_open = 1,  // missing, a bad path, or no permission
    file_not_regular = 2,  // a folder, a named pipe, a device or a socket
    file_unreadable = 3,   // opened, but the read came up short
    file_too_large = 4,    // larger than the caller's buffer (read_whole_file)
};

// Opens an existing regular file for reading; invalid_file if it does not
// exist, cannot be read or is not a regular file. A named pipe or a device
// is refused at once, never waited on. Clears errno first; last_file_problem
// says why an open failed.
file_id open_read(const char* name);

// Creates a file, or truncates an existing one, for writing.
file_id open_write(const char* name);

// Read or write n bytes; returns the bytes actually moved (0 on error).
int read_bytes(file_id file, void* buffer, int n);
int write_bytes(file_id file, const void* buffer, int n);

void close_file(file_id file);

// The size of an open file in bytes, or -1. Loaders use it to check a file
// whole before they change anything.
int64_t file_size(file_id file);

// Reads a whole file of at most max_bytes into buffer; returns the size, or
// -1 when the file cannot be opened, is not a regular file, cannot be read
// whole or is larger than max_bytes (last_file_problem tells which).
int64_t read_whole_file(const char* name, void* buffer, int64_t max_bytes);

// Why the last open_read or read_whole_file failed; file_ok after a success.
// The loaders turn it into their refusal.
file_problem last_file_problem();

// The plain-words refusal of a problem ("the file cannot be opened", "the
// file is not a regular file ..."); "" for file_ok. file_too_large gives a
// sentence without the limit, which the callers that know it say themselves.
const char* file_problem_text(file_problem problem);

// A file being saved. It is written to a temporary file beside the target
// and renamed over the target only when every byte was written, so a failed
// save leaves the old file as it was.
struct save_file {
    file_id handle;               // the temporary file
    bool failed;                      // a write came up short
    char path[max_path_length];       // the target, with '/' separators
    char temp_path[max_path_length];  // the temporary file beside it
};

// Opens the temporary file for name; false when the name is too long or the
// file cannot be created.
bool begin_save(save_file& file, const char* name);

// Writes n bytes; a short write marks the save as failed.
void save_bytes(save_file& file, const void* data, int n);

// Little-endian helpers over save_bytes.
void save_u8(save_file& file, int32_t value);
void save_u16(save_file& file, int32_t value);
void save_i32(save_file& file, int32_t value);

// Ends the save: flushes, closes and renames over the target when every
// write succeeded; otherwise removes the temporary file. Returns success.
bool end_save(save_file& file);

// Converts the program's path spelling into a POSIX path in out (capacity
// bytes); false when it does not fit.
bool native_path(const char* name, char* out, int capacity);

// Test-only fault injection: the nth write_bytes call from now (1 = the next)
// fails after writing half its bytes, and a rename fails while
// fail_renames is set. 0 / false switch them off.
void inject_write_failure(int nth_write);
void inject_rename_failure(bool fail_renames);
// Test-only: the disk takes bytes_free more bytes, then every write comes
// up short (the one that crosses the limit writes what fits). A negative
// value switches it off.
void inject_disk_full(int64_t bytes_free);
