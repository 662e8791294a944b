// The files of the rule sets: the folder, reading, the atomic writing, listing, copying and
// deleting.
#include "cards/rule_sets.h"
#include "cards/rule_sets_detail.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kvarlen {

namespace fs = std::filesystem;
using namespace rule_sets_detail;

namespace {

// A rule set is a few hundred bytes; anything this large is not one.
constexpr size_t kLargestFile = 64 * 1024;

// The file's bytes; throws RuleSetError when it cannot be read.
std::string ReadAll(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw SystemError(path, "cannot be opened", "не удалось открыть", errno);
    std::string text;
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        text.append(buf, n);
        if (text.size() > kLargestFile) break;
    }
    const bool failed = std::ferror(f) != 0;
    const int err = errno;
    std::fclose(f);
    if (failed) throw SystemError(path, "cannot be read", "не удалось прочитать", err);
    if (text.size() > kLargestFile)
        throw FileError(path, 0, 0, "", "larger than 64 KiB: not a rule set",
                        "больше 64 КиБ: это не набор правил");
    return text;
}

// Written beside the target and renamed over it: a failure leaves the old file whole.
void WriteAtomically(const std::string& path, const std::string& text) {
    const fs::path target(path);
    std::string temp =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(temp.data());
    if (fd < 0) throw SystemError(path, "cannot be written", "не удалось записать", errno);
    size_t done = 0;
    int err = 0;
    while (done < text.size()) {
        const ssize_t w = ::write(fd, text.data() + done, text.size() - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        done += static_cast<size_t>(w);
    }
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    // The permissions a new file would get, not mkstemp's private ones.
    if (err == 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && std::rename(temp.c_str(), path.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        throw SystemError(path, "cannot be written", "не удалось записать", err);
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void CheckName(const std::string& name) {
    if (!RuleSetNameProblem(name).empty()) throw RuleSetNameError(name);
}

std::string NeedFolder(const std::string& folder) {
    if (folder.empty())
        throw RuleSetError("no folder for rule sets: neither XDG_CONFIG_HOME nor HOME is set",
                           "нет папки для наборов правил: не заданы ни XDG_CONFIG_HOME, ни HOME");
    return folder;
}

} // namespace

std::string RuleSetsFolder() {
    // An empty or relative XDG variable is to be ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return (fs::path(config) / "kvarlen" / "rules").string();
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return (fs::path(home) / ".config" / "kvarlen" / "rules").string();
    return "";
}

TRuleSet ReadRuleSetFile(const std::string& path) {
    return ParseRuleSet(ReadAll(path), fs::path(path).stem().string(), path);
}

std::string RuleSetPath(const std::string& folder, const std::string& name) {
    return (fs::path(folder) / (name + ".toml")).string();
}

std::vector<TRuleSetEntry> ListRuleSets(const std::string& folder) {
    std::vector<TRuleSetEntry> list;
    std::error_code ec;
    if (folder.empty() || !fs::exists(folder, ec)) return list;
    fs::directory_iterator it(folder, ec);
    if (ec)
        throw SystemError(folder, "the folder cannot be read", "не удалось прочитать папку",
                          ec.value());
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path p = it->path();
        const std::string file = p.filename().string();
        if (file.empty() || file[0] == '.' || p.extension() != ".toml") continue;
        if (fs::is_directory(p, ec)) continue;
        TRuleSetEntry e;
        e.Name = p.stem().string();
        e.Path = p.string();
        try {
            if (!RuleSetNameProblem(e.Name).empty()) {
                const RuleSetError why = RuleSetNameError(e.Name);
                throw FileError(e.Path, 0, 0, "", why.what(), why.Russian);
            }
            e.Set = ReadRuleSetFile(e.Path);
            e.Ok = true;
        } catch (const RuleSetError& err) {
            e.Error = err.what();
            e.RussianError = err.Russian;
        }
        list.push_back(e);
        if (ec) break;
    }
    if (ec)
        throw SystemError(folder, "the folder cannot be read", "не удалось прочитать папку",
                          ec.value());
    std::sort(list.begin(), list.end(),
              [](const TRuleSetEntry& a, const TRuleSetEntry& b) { return a.Name < b.Name; });
    return list;
}

TRuleSet LoadRuleSet(const std::string& nameOrFile, const std::string& folder) {
    if (nameOrFile == kDefaultRuleSetName) return DefaultRuleSet();
    if (nameOrFile.find('/') != std::string::npos || EndsWith(nameOrFile, ".toml")) {
        if (!ValidUtf8(nameOrFile))
            throw RuleSetError("rules file: the path is not UTF-8 text",
                               "файл правил: путь не в UTF-8");
        TRuleSet s = ReadRuleSetFile(nameOrFile);
        // A file of that name elsewhere is not the program's own set.
        if (s.Name == kDefaultRuleSetName || s.Name.empty()) s.Name = nameOrFile;
        return s;
    }
    CheckName(nameOrFile);
    const std::string path = RuleSetPath(NeedFolder(folder), nameOrFile);
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        std::string names;
        try {
            for (const TRuleSetEntry& e : ListRuleSets(folder))
                names += (names.empty() ? "" : ", ") + e.Name;
        } catch (const RuleSetError&) {
        }
        const std::string q = ShortText(nameOrFile);
        throw RuleSetError("no rule set named '" + q + "' in " + folder + " (there are: " +
                               (names.empty() ? "none" : names) + "; or give a file's path)",
                           "нет набора правил «" + q + "» в папке " + folder);
    }
    return ReadRuleSetFile(path);
}

void SaveRuleSet(const TRuleSet& set, const std::string& folder, bool replace) {
    CheckName(set.Name);
    const std::string path = RuleSetPath(NeedFolder(folder), set.Name);
    ValidateRuleSet(set, path);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        throw SystemError(folder, "the folder cannot be created", "не удалось создать папку",
                          ec.value());
    if (fs::exists(path, ec) || fs::is_symlink(path, ec)) {
        if (!replace)
            throw RuleSetError("a rule set named '" + set.Name + "' exists already: " + path,
                               "набор правил «" + set.Name + "» уже есть: " + path);
        try {
            (void)ReadRuleSetFile(path);
        } catch (const RuleSetError& e) {
            throw RuleSetError(std::string(e.what()) + "; the file is left as it is",
                               e.Russian + "; файл оставлен как есть");
        }
    }
    WriteAtomically(path, RuleSetToml(set));
}

TRuleSet CopyRuleSet(const std::string& from, const std::string& to, const std::string& folder) {
    TRuleSet s = LoadRuleSet(from, folder);
    s.Name = to;
    SaveRuleSet(s, folder, false);
    return s;
}

void DeleteRuleSet(const std::string& name, const std::string& folder) {
    CheckName(name);
    const std::string path = RuleSetPath(NeedFolder(folder), name);
    try {
        (void)ReadRuleSetFile(path);
    } catch (const RuleSetError& e) {
        throw RuleSetError(std::string(e.what()) + "; the file is left as it is",
                           e.Russian + "; файл оставлен как есть");
    }
    if (std::remove(path.c_str()) != 0)
        throw SystemError(path, "cannot be deleted", "не удалось удалить", errno);
}

} // namespace kvarlen
