// What the editors tell the user about files: whether a typed name can be
// a file's, the status line's report of a save or an open in plain Russian,
// and a name for a new file that no file has yet.
#pragma once

#include <cstdint>

// Why a name typed for a file cannot be used, in Russian ("пустое имя",
// "имя длиннее 46 знаков", "в имени есть недопустимый знак"), or null when
// it can: not empty, at most max_length bytes, no '/', '\', control
// characters or the one code page 1251 byte without a character (a name is
// a file in its folder, never a path elsewhere). The editors' save and open
// dialogs ask it before they touch a file.
const char* name_problem(const char* name, int32_t max_length);

// The status line after a save or an open: "сохранено: <file>" and
// "открыто: <file>"; after a failure "не сохранено: <file> - <why>" or "не
// открыто: <file> - <why>", the why in Russian from what the file layer saw
// (no such file, no permission, a full disk, not a regular file, ...) or,
// when the file was read but refused, "файл поврежден: <the loader's
// reason>". file is the name with its extension, code page 1251. The
// editor calls forget_file_problem (core/file_access.h) just before the
// operation, so that what the file layer saw is the operation's own.
void report_saved(const char* file);
void report_opened(const char* file);
void report_save_failure(const char* file, const char* reason);
void report_open_failure(const char* file, const char* reason);
// A name refused before any file was touched: "не сохранено: <why>" or "не
// открыто: <why>".
void report_bad_name(bool saving, const char* why);

// Writes into out (capacity bytes) the first of base, "base 2", "base 3",
// ... for which folder\<name><extension> is not a file, so a new map is not
// saved over an old one by its name. The map editor's new map takes it.
void unused_name(const char* folder, const char* base, const char* extension, char* out, int32_t capacity);
