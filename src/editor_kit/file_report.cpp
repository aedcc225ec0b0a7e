// Names and the status line's reports of saves and opens.
#include "editor_kit/file_report.h"

#include <cstdio>
#include <cstring>

#include "core/cp1251.h"
#include "core/file_access.h"
#include "editor_kit/status_line.h"

const char* name_problem(const char* name, int32_t max_length)
{
    if (name == nullptr || name[0] == 0)
        return "пустое имя"_cp;
    static char too_long[64];
    size_t length = std::strlen(name);
    if (length > static_cast<size_t>(max_length)) {
        std::snprintf(too_long, sizeof too_long, "%s %d %s", "имя длиннее"_cp, static_cast<int>(max_length),
                      "знаков"_cp);
        return too_long;
    }
    for (const auto* p = reinterpret_cast<const unsigned char*>(name); *p != 0; ++p)
        if (*p < 32 || *p == '/' || *p == '\\' || *p == 0x98)
            return "в имени есть недопустимый знак"_cp;
    return nullptr;
}

void report_saved(const char* file)
{
    set_status("%s %s", "сохранено:"_cp, file);
}

void report_opened(const char* file)
{
    set_status("%s %s", "открыто:"_cp, file);
}

// What the file layer's last failure means, in Russian; null for none.
static const char* failure_words(file_failure failure)
{
    switch (failure) {
    case failure_none: return nullptr;
    case failure_missing: return "нет такого файла"_cp;
    case failure_no_permission: return "нет доступа"_cp;
    case failure_disk_full: return "диск полон"_cp;
    case failure_bad_name: return "такое имя не годится для файла"_cp;
    case failure_other: return nullptr;
    }
    return nullptr;
}

void report_save_failure(const char* file, const char* reason)
{
    file_failure failure = last_file_failure();
    const char* words = failure_words(failure);
    // A missing folder is the one thing "missing" means for a save.
    if (failure == failure_missing)
        words = "нет папки для файла"_cp;
    if (words != nullptr)
        set_status("%s %s - %s%s", "не сохранено:"_cp, file, words, "; прежний файл не тронут"_cp);
    else if (failure == failure_other)
        set_status("%s %s - %s (%s)", "не сохранено:"_cp, file, "ошибка записи"_cp, reason);
    else
        set_status("%s %s - %s", "не сохранено:"_cp, file, reason);
}

void report_open_failure(const char* file, const char* reason)
{
    const char* words = failure_words(last_file_failure());
    switch (last_file_problem()) {
    case file_ok:
    case file_too_large:
        // Read, and refused for what it holds.
        set_status("%s %s - %s (%s)", "не открыто:"_cp, file, "файл поврежден"_cp, reason);
        return;
    case file_not_regular: words = "это не файл, а папка или устройство"_cp; break;
    case file_unreadable: words = "файл не читается"_cp; break;
    case file_cannot_open: break;
    }
    if (words != nullptr)
        set_status("%s %s - %s", "не открыто:"_cp, file, words);
    else
        set_status("%s %s - %s (%s)", "не открыто:"_cp, file, "файл не открывается"_cp, reason);
}

void report_bad_name(bool saving, const char* why)
{
    set_status("%s %s", saving ? "не сохранено:"_cp : "не открыто:"_cp, why);
}

void unused_name(const char* folder, const char* base, const char* extension, char* out, int32_t capacity)
{
    std::snprintf(out, static_cast<size_t>(capacity), "%s", base);
    for (int n = 2; n < 10000; ++n) {
        char path[max_path_length];
        std::snprintf(path, sizeof path, "%s%s%s", folder, out, extension);
        if (!file_exists(path))
            return;
        std::snprintf(out, static_cast<size_t>(capacity), "%s %d", base, n);
    }
}
