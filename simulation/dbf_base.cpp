#include "simulation/dbf_base.h"

#include "simulation/dbf_file.h"
#include "simulation/text_files.h"

#include <shapefil.h>

#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace kvarlen {

namespace {

struct TTable {
    std::string Path;
    TDbfFile File;
    DBFHandle Dbf = nullptr;
    std::vector<TDbfField> Fields;
    std::mutex Mutex;
    int Users = 0;
    uint64_t HeaderLength = 0;
    uint64_t RecordLength = 0;
    uint32_t Records = 0; // complete records, as the header on disk counts them
    // After a write failure: why, and whether a handle has told it already.
    std::string Failure;
    bool FailureTold = false;
};

struct TValue {
    bool Set = false;
    std::string Text; // 1251 bytes
    double Number = 0;
};

struct TBase {
    std::shared_ptr<TTable> Table;
    std::vector<TValue> Record;
};

std::mutex g_registry;
std::map<int, TBase> g_handles;
std::map<std::string, std::shared_ptr<TTable>> g_tables;
int g_nextHandle = 1;

void StampToday(DBFHandle dbf) {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    DBFSetLastModifiedDate(dbf, tm.tm_year, tm.tm_mon + 1, tm.tm_mday);
}

DBFFieldType ShapeType(const TDbfField& f) {
    if (f.Type == 'N') return f.Decimals > 0 ? FTDouble : FTInteger;
    return FTString;
}

bool SameStructure(DBFHandle dbf, const std::vector<TDbfField>& fields, std::string& why) {
    if (DBFGetFieldCount(dbf) != static_cast<int>(fields.size())) {
        why = "в таблице " + std::to_string(DBFGetFieldCount(dbf)) + " полей, а не " +
              std::to_string(fields.size());
        return false;
    }
    for (size_t i = 0; i < fields.size(); ++i) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0, decimals = 0;
        DBFGetFieldInfo(dbf, static_cast<int>(i), name, &width, &decimals);
        const char native = DBFGetNativeFieldType(dbf, static_cast<int>(i));
        if (fields[i].Name != name || fields[i].Width != width || fields[i].Decimals != decimals ||
            fields[i].Type != native) {
            why = "поле " + std::to_string(i) + " (" + name + ") не совпадает с " + fields[i].Name;
            return false;
        }
    }
    return true;
}

std::string ErrnoText(int err) {
    return err != 0 ? std::strerror(err) : "неизвестная ошибка";
}

// A new, empty table: the header and the fields, written through the locked file.
bool InitialiseTable(TTable& table) {
    SAHooks hooks = DbfHooks();
    SetHookFile(&table.File);
    DBFHandle created = DBFCreateLL(table.Path.c_str(), "LDID/201", &hooks);
    SetHookFile(nullptr);
    if (created == nullptr) return false;
    bool ok = true;
    for (const TDbfField& f : table.Fields)
        ok = ok && DBFAddField(created, f.Name.c_str(), ShapeType(f), f.Width, f.Decimals) >= 0;
    StampToday(created);
    DBFUpdateHeader(created);
    DBFClose(created);
    return ok && !table.File.Failed;
}

// The sum of the field widths the header describes, read as shapelib reads them: 32-byte
// descriptors after the fixed header up to the terminator, the width in one byte.
bool FieldWidths(int fd, const TDbfHeader& h, uint64_t& widths, int& err) {
    widths = 0;
    err = 0;
    if (h.HeaderLength <= 32) return true;
    std::string bytes(h.HeaderLength - 32u, '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(32 + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) err = errno;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    for (size_t at = 0; at + 32 <= bytes.size(); at += 32) {
        const auto* d = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        if (d[0] == 0x0D) break;
        widths += d[16];
    }
    return true;
}

// Checks the header against the file's size before anything is written. `cutTo` > 0: a torn
// last record (or one the header did not count yet) is to be cut off there.
bool CheckSize(TTable& table, uint64_t& cutTo, std::string& error) {
    const std::string name = "Таблица \"" + table.Path + "\" ";
    TDbfHeader h;
    int err = 0;
    struct stat st {};
    if (!ReadDbfHeader(table.File.Fd, h, err) || fstat(table.File.Fd, &st) != 0) {
        error = name + (err != 0 ? "не читается. " + ErrnoText(err) : "короче заголовка таблицы");
        return false;
    }
    if (h.RecordLength == 0 || h.HeaderLength < 33) {
        error = name + "испорчена: в заголовке длина записи " + std::to_string(h.RecordLength) +
                ", длина заголовка " + std::to_string(h.HeaderLength);
        return false;
    }
    // A record is the deletion flag and the fields: any other length is an edited header, and
    // cutting records by it would destroy them.
    uint64_t widths = 0;
    if (!FieldWidths(table.File.Fd, h, widths, err)) {
        error = name + (err != 0 ? "не читается. " + ErrnoText(err) : "короче своего заголовка");
        return false;
    }
    if (h.RecordLength != widths + 1) {
        error = name + "испорчена: в заголовке длина записи " + std::to_string(h.RecordLength) +
                ", а поля занимают " + std::to_string(widths + 1) +
                " байт. Таблица оставлена как есть";
        return false;
    }
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    const uint64_t end = DbfDataEnd(h);
    const uint64_t inFile = size > h.HeaderLength ? (size - h.HeaderLength) / h.RecordLength : 0;
    if (size < end || size > end + h.RecordLength + 1) {
        error = name + "испорчена: заголовок насчитывает " + std::to_string(h.Records) +
                " записей, а в файле их " + std::to_string(inFile) + ". Таблица оставлена как есть";
        return false;
    }
    table.HeaderLength = h.HeaderLength;
    table.RecordLength = h.RecordLength;
    table.Records = h.Records;
    cutTo = 0;
    if (size == end) return true;
    if (size == end + 1) {
        char last = 0;
        if (pread(table.File.Fd, &last, 1, static_cast<off_t>(end)) == 1 && last == 0x1A)
            return true;
    }
    cutTo = end;
    return true;
}

std::shared_ptr<TTable> OpenTable(const std::string& path, const std::vector<TDbfField>& fields,
                                  std::string& error, TDbfOpenInfo& info) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path p(path);
    // shapelib finds a table only by its .dbf extension: refuse any other name before
    // anything is created.
    std::string ext = p.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext != ".dbf") {
        error = "Таблица истории должна быть файлом .dbf: \"" + path + "\"";
        return nullptr;
    }
    if (p.has_parent_path()) {
        fs::create_directories(p.parent_path(), ec);
        if (ec) {
            error =
                "Не удается создать папку \"" + p.parent_path().string() + "\". " + ec.message();
            info.FileError = true;
            return nullptr;
        }
    }
    auto table = std::make_shared<TTable>();
    table->Path = path;
    table->Fields = fields;
    bool created = false;
    int err = 0;
    table->File.Fd = OpenLocked(path, created, err);
    if (table->File.Fd < 0) {
        info.FileError = true;
        error = err == EWOULDBLOCK
                    ? "Таблица \"" + path +
                          "\" уже открыта другим прогоном: одну таблицу пишет только один прогон"
                    : "Не удается открыть таблицу \"" + path + "\". " + ErrnoText(err);
        return nullptr;
    }
    // From here on the table is ours alone until it is closed.
    auto fail = [&](const std::string& why, bool fileError) {
        if (table->Dbf != nullptr) DBFClose(table->Dbf);
        table->Dbf = nullptr;
        if (created) unlink(path.c_str());
        close(table->File.Fd);
        error = why;
        info.FileError = fileError;
        return nullptr;
    };
    struct stat st {};
    if (fstat(table->File.Fd, &st) == 0 && st.st_size == 0 && !InitialiseTable(*table)) {
        // An empty file found here stays empty: a half-made header would look damaged.
        if (!created && ftruncate(table->File.Fd, 0) != 0) {
            // The message below names the first failure; this one adds nothing.
        }
        return fail("Не удается создать таблицу \"" + path + "\". " + ErrnoText(table->File.Errno),
                    true);
    }
    uint64_t cutTo = 0;
    std::string why;
    if (!CheckSize(*table, cutTo, why)) return fail(why, false);
    SAHooks hooks = DbfHooks();
    SetHookFile(&table->File);
    table->Dbf = DBFOpenLL(path.c_str(), "rb+", &hooks);
    SetHookFile(nullptr);
    if (table->Dbf == nullptr) return fail("Не удается открыть таблицу \"" + path + "\"", false);
    if (!SameStructure(table->Dbf, fields, why))
        return fail("Таблица \"" + path + "\" не является таблицей истории: " + why, false);
    if (cutTo > 0) {
        if (!CutBackTo(table->File, cutTo))
            return fail("Не удается исправить таблицу \"" + path + "\". " + ErrnoText(errno), true);
        info.Notice = "Таблица \"" + path +
                      "\": последняя запись прерванного прогона была неполной и удалена; в "
                      "таблице " +
                      std::to_string(table->Records) + " полных записей";
    }
    StampToday(table->Dbf);
    // A valid header with today's date on disk from the start.
    DBFUpdateHeader(table->Dbf);
    if (table->File.Failed)
        return fail("Не удается записать в таблицу \"" + path + "\". " +
                        ErrnoText(table->File.Errno),
                    true);
    return table;
}

bool Lookup(int handle, TBase*& base) {
    auto it = g_handles.find(handle);
    if (it == g_handles.end()) return false;
    base = &it->second;
    return true;
}

} // namespace

int OpenBase(const std::string& path, const std::vector<TDbfField>& fields, std::string& error,
             TDbfOpenInfo* info) {
    TDbfOpenInfo ignored;
    if (info == nullptr) info = &ignored;
    const lconv* lc = std::localeconv();
    if (lc == nullptr || lc->decimal_point == nullptr || std::string(lc->decimal_point) != ".") {
        error = "Для DBF-истории нужен LC_NUMERIC \"C\": числа были бы записаны с \"" +
                std::string(lc && lc->decimal_point ? lc->decimal_point : "?") + "\"";
        return 0;
    }
    std::lock_guard<std::mutex> lock(g_registry);
    std::error_code ec;
    // From the absolute name: a relative name whose folder does not exist yet would keep its
    // relative spelling until the table is made, and the next stream would lock it again.
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) absolute = path;
    std::string key = std::filesystem::weakly_canonical(absolute, ec).string();
    if (ec) key = absolute.string();
    std::shared_ptr<TTable> table;
    auto it = g_tables.find(key);
    if (it != g_tables.end()) {
        table = it->second;
    } else {
        table = OpenTable(path, fields, error, *info);
        if (!table) return 0;
        g_tables[key] = table;
    }
    ++table->Users;
    const int handle = g_nextHandle++;
    TBase& base = g_handles[handle];
    base.Table = table;
    base.Record.resize(table->Fields.size());
    return handle;
}

void ClearRecord(int handle) {
    std::lock_guard<std::mutex> lock(g_registry);
    TBase* base = nullptr;
    if (!Lookup(handle, base)) return;
    for (TValue& v : base->Record) v.Set = false;
}

bool SetValue(int handle, int field, const char* text, double number) {
    std::lock_guard<std::mutex> lock(g_registry);
    TBase* base = nullptr;
    if (!Lookup(handle, base)) return false;
    if (field < 0 || field >= static_cast<int>(base->Record.size())) return false;
    TValue& v = base->Record[static_cast<size_t>(field)];
    v.Set = true;
    if (base->Table->Fields[static_cast<size_t>(field)].Type == 'N') {
        v.Number = number;
        v.Text.clear();
    } else {
        v.Number = 0;
        v.Text = ToCp1251(text != nullptr ? text : "");
    }
    return true;
}

bool AppendBlank(int handle, int flags, std::string* error) {
    (void)flags;
    TBase* base = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_registry);
        if (!Lookup(handle, base)) {
            if (error) *error = "Таблица истории не открыта";
            return false;
        }
    }
    // The record buffer belongs to this handle's user alone; the table is shared.
    TTable* table = base->Table.get();
    const std::vector<TValue>& record = base->Record;
    std::lock_guard<std::mutex> lock(table->Mutex);
    if (!table->Failure.empty()) {
        if (error) *error = table->FailureTold ? "" : table->Failure;
        table->FailureTold = true;
        return false;
    }
    DBFHandle dbf = table->Dbf;
    const int row = DBFGetRecordCount(dbf);
    bool ok = true, any = false;
    int bad = -1;
    for (size_t i = 0; i < record.size(); ++i) {
        const TValue& v = record[i];
        if (!v.Set) continue;
        any = true;
        const int f = static_cast<int>(i);
        const int r = table->Fields[i].Type == 'N'
                          ? DBFWriteDoubleAttribute(dbf, row, f, v.Number)
                          : DBFWriteStringAttribute(dbf, row, f, v.Text.c_str());
        if (!r && ok) {
            ok = false;
            bad = f;
        }
    }
    // A record with nothing set is still one record.
    if (!any && !DBFWriteNULLAttribute(dbf, row, 0)) ok = false;
    // The record, then the header that counts it: a failure in between leaves the old count.
    DBFUpdateHeader(dbf);
    if (table->File.Failed) {
        const int err = table->File.Errno;
        CutBackTo(table->File, table->HeaderLength + table->Records * table->RecordLength);
        table->Failure = "Не удается записать в таблицу \"" + table->Path + "\" запись " +
                         std::to_string(row + 1) + ". " + ErrnoText(err) + ". В таблице " +
                         std::to_string(table->Records) + " полных записей";
        table->FailureTold = true;
        if (error) *error = table->Failure;
        return false;
    }
    table->Records = static_cast<uint32_t>(row + 1);
    if (!ok && error) {
        *error = bad >= 0 ? "Поле истории " + std::to_string(bad) + " (" +
                                table->Fields[static_cast<size_t>(bad)].Name +
                                ") не удалось записать в \"" + table->Path + "\""
                          : "Не удается записать в \"" + table->Path + "\"";
    }
    return ok;
}

bool CloseBase(int handle, std::string* error) {
    std::lock_guard<std::mutex> lock(g_registry);
    auto it = g_handles.find(handle);
    if (it == g_handles.end()) return false;
    std::shared_ptr<TTable> table = it->second.Table;
    g_handles.erase(it);
    if (--table->Users > 0) return true;
    for (auto t = g_tables.begin(); t != g_tables.end(); ++t)
        if (t->second == table) {
            g_tables.erase(t);
            break;
        }
    std::lock_guard<std::mutex> tableLock(table->Mutex);
    const bool failedBefore = table->File.Failed;
    DBFClose(table->Dbf);
    table->Dbf = nullptr;
    int err = table->File.Failed && !failedBefore ? table->File.Errno : 0;
    // What a crash of the machine could still lose: push it to the disk once, at the end.
    if (err == 0 && !failedBefore && fsync(table->File.Fd) != 0) err = errno;
    // Closing releases the lock.
    close(table->File.Fd);
    table->File.Fd = -1;
    if (err != 0) {
        if (error) *error = "Не удается закрыть таблицу \"" + table->Path + "\". " + ErrnoText(err);
        return false;
    }
    return true;
}

} // namespace kvarlen
