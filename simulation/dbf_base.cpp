#include "simulation/dbf_base.h"

#include "simulation/text_files.h"

#include <shapefil.h>

#include <cctype>
#include <clocale>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace kvarlen {

namespace {

struct TTable {
    std::string Path;
    DBFHandle Dbf = nullptr;
    std::vector<TDbfField> Fields;
    std::mutex Mutex;
    int Users = 0;
    int SinceUpdate = 0;
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

std::shared_ptr<TTable> OpenTable(const std::string& path, const std::vector<TDbfField>& fields,
                                  std::string& error) {
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
            return nullptr;
        }
    }
    auto table = std::make_shared<TTable>();
    table->Path = path;
    table->Fields = fields;
    if (fs::exists(p, ec)) {
        table->Dbf = DBFOpen(path.c_str(), "rb+");
        if (table->Dbf == nullptr) {
            error = "Не удается открыть таблицу \"" + path + "\"";
            return nullptr;
        }
        std::string why;
        if (!SameStructure(table->Dbf, fields, why)) {
            DBFClose(table->Dbf);
            error = "Таблица \"" + path + "\" не является таблицей истории: " + why;
            return nullptr;
        }
    } else {
        // shapelib names what it creates "<base>.dbf": build the table under a scratch name
        // and move it to the exact name asked for.
        const fs::path scratch =
            p.parent_path() / (".kvarlen-new-" + std::to_string(getpid()) + ".dbf");
        DBFHandle created = DBFCreateEx(scratch.c_str(), "LDID/201");
        if (created == nullptr) {
            error = "Не удается создать таблицу \"" + path + "\"";
            return nullptr;
        }
        bool ok = true;
        for (const TDbfField& f : fields)
            ok = ok && DBFAddField(created, f.Name.c_str(), ShapeType(f), f.Width, f.Decimals) >= 0;
        StampToday(created);
        DBFUpdateHeader(created);
        DBFClose(created);
        if (ok) fs::rename(scratch, p, ec);
        if (!ok || ec) {
            fs::remove(scratch, ec);
            error = "Не удается создать таблицу \"" + path + "\"";
            return nullptr;
        }
        table->Dbf = DBFOpen(path.c_str(), "rb+");
        if (table->Dbf == nullptr) {
            error = "Не удается открыть таблицу \"" + path + "\"";
            return nullptr;
        }
    }
    StampToday(table->Dbf);
    // A valid header on disk from the start: a killed run leaves a readable table.
    DBFUpdateHeader(table->Dbf);
    return table;
}

bool Lookup(int handle, TBase*& base) {
    auto it = g_handles.find(handle);
    if (it == g_handles.end()) return false;
    base = &it->second;
    return true;
}

} // namespace

int OpenBase(const std::string& path, const std::vector<TDbfField>& fields, std::string& error) {
    const lconv* lc = std::localeconv();
    if (lc == nullptr || lc->decimal_point == nullptr || std::string(lc->decimal_point) != ".") {
        error = "Для DBF-истории нужен LC_NUMERIC \"C\": числа были бы записаны с \"" +
                std::string(lc && lc->decimal_point ? lc->decimal_point : "?") + "\"";
        return 0;
    }
    std::lock_guard<std::mutex> lock(g_registry);
    std::error_code ec;
    std::string key = std::filesystem::weakly_canonical(path, ec).string();
    if (ec) key = path;
    std::shared_ptr<TTable> table;
    auto it = g_tables.find(key);
    if (it != g_tables.end()) {
        table = it->second;
    } else {
        table = OpenTable(path, fields, error);
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
    if (++table->SinceUpdate >= kDbfHeaderEvery) {
        DBFUpdateHeader(dbf);
        table->SinceUpdate = 0;
    }
    if (!ok && error) {
        *error = bad >= 0 ? "Поле истории " + std::to_string(bad) + " (" +
                                table->Fields[static_cast<size_t>(bad)].Name +
                                ") не удалось записать в \"" + table->Path + "\""
                          : "Не удается записать в \"" + table->Path + "\"";
    }
    return ok;
}

bool CloseBase(int handle) {
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
    DBFClose(table->Dbf);
    table->Dbf = nullptr;
    return true;
}

} // namespace kvarlen
