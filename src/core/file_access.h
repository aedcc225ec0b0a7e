// File access: thin wrappers over POSIX files, the atomic save that every
// saver uses, and the listing of a folder's files of one kind. Paths are
// written as the program spells them ("data\map\single.map", code page
// 1251): the wrappers turn every '\' into '/' and the name into UTF-8, the
// machine's own spelling, so a Cyrillic name reads right in a file manager.
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

// Why the last open, write or save failed, as the system told it: what the
// editors' status lines say in the user's words.
enum file_failure : int32_t {
    failure_none = 0,           // nothing failed since the last forget_file_problem
    failure_missing = 1,        // no such file, or no such folder on its path
    failure_no_permission = 2,  // not allowed, or a read-only file system
    failure_disk_full = 3,      // no room left on the disk (or over the quota)
    failure_bad_name = 4,       // a name too long, or one code page 1251 cannot spell
    failure_other = 5,          // any other error of the system
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

// Why the last open_read, open_write, write or save end failed (the last
// failure since forget_file_problem). The editors' status lines read it.
file_failure last_file_failure();

// Forgets the last problem and failure, so that what an operation leaves
// behind is its own. The editors call it before each open and save.
void forget_file_problem();

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
// bytes): '\' becomes '/', and code page 1251 bytes become UTF-8 (unless
// names are taken as given). False when it does not fit or a byte has no
// character (0x98).
bool native_path(const char* name, char* out, int capacity);

// How the wrappers read the bytes of a name: false (the default) as code
// page 1251, turned into UTF-8 on the way to the system; true as the
// system's bytes already, for names that come from a command line. The data
// checker takes its arguments as given.
void take_names_as_given(bool as_given);

// True when name is an existing regular file. The editors ask it before a
// save would replace a file.
bool file_exists(const char* name);

// A listed name holds at most this many bytes and its terminator.
constexpr int listed_name_size = 64;

// Lists the regular files of folder (program spelling) whose names end in
// extension (".map", exactly so), as names without the extension in code
// page 1251, in alphabetical order (Latin before Cyrillic, case folded) in
// names, at most capacity of them (the first in that order). Passed over:
// hidden names, names too long for a listed name, names with a character
// that code page 1251 has no byte for or that a path cannot hold. Returns
// the number listed; 0 for a missing folder. The editors' open dialogs
// call it.
int list_files(const char* folder, const char* extension, char (*names)[listed_name_size], int capacity);

// Test-only fault injection: the nth write_bytes call from now (1 = the next)
// fails after writing half its bytes, and a rename fails while
// fail_renames is set. 0 / false switch them off.
void inject_write_failure(int nth_write);
void inject_rename_failure(bool fail_renames);
// Test-only: the disk takes bytes_free more bytes, then every write comes
// up short (the one that crosses the limit writes what fits). A negative
// value switches it off.
void inject_disk_full(int64_t bytes_free);
