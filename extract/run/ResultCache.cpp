#include "extract/run/ResultCache.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

namespace orv {

namespace {

bool storable(const FileResult& result) {
    const auto passing = [](FailureKind kind) {
        return kind == FailureKind::InputOutput || kind == FailureKind::Unexpected;
    };
    for (const StepFailure& f : result.failures)
        if (passing(f.kind))
            return false;
    if (result.fileFailure && passing(result.fileFailure->kind))
        return false;
    for (const SkippedPart& part : result.skipped)
        if (passing(part.kind))
            return false;
    return true;
}

// "ORVD": the mark of this program's cache, so that another program's
// database is never taken for it.
constexpr int kApplicationId = 0x4F525644;
// Stores between two commits: few enough that a killed run loses little,
// many enough that a run of small files is not held up by its commits.
constexpr int kBatch = 256;
constexpr int kBusyMilliseconds = 10'000;
constexpr std::string_view kMagic = "ORF1";

class Writer {
public:
    void u(std::uint64_t value) {
        while (value >= 0x80) {
            m_out += static_cast<char>((value & 0x7F) | 0x80);
            value >>= 7;
        }
        m_out += static_cast<char>(value);
    }
    void s(std::string_view text) {
        u(text.size());
        m_out.append(text);
    }
    void failure(const StepFailure& f) {
        u(static_cast<std::uint32_t>(f.step));
        u(static_cast<std::uint64_t>(f.kind));
        s(f.description);
        s(f.part);
        u(f.offset ? 1 : 0);
        if (f.offset)
            u(*f.offset);
    }
    std::string take() { return std::move(m_out); }

private:
    std::string m_out{kMagic};
};

// Reads what Writer wrote; every length and count is held to the bytes that
// are left, so that a damaged blob cannot ask for more than it holds.
class Reader {
public:
    explicit Reader(std::string_view in) : m_in(in) {}
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at == m_in.size(); }
    std::uint64_t u() {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (m_at >= m_in.size())
                return bad();
            const auto byte = static_cast<unsigned char>(m_in[m_at++]);
            value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return value;
        }
        return bad();
    }
    std::uint64_t count() {
        const std::uint64_t n = u();
        return n <= m_in.size() - m_at ? n : bad();
    }
    std::uint64_t below(std::uint64_t limit) {
        const std::uint64_t v = u();
        return v < limit ? v : bad();
    }
    std::string s() {
        const std::uint64_t n = count();
        if (!m_ok)
            return {};
        std::string text(m_in.substr(m_at, n));
        m_at += n;
        return text;
    }
    StepFailure failure() {
        StepFailure f;
        f.step = static_cast<std::int32_t>(below(1u << 31));
        f.kind = static_cast<FailureKind>(below(static_cast<std::uint64_t>(FailureKind::InputOutput) + 1));
        f.description = s();
        f.part = s();
        if (below(2))
            f.offset = u();
        return f;
    }

private:
    std::uint64_t bad() {
        m_ok = false;
        m_at = m_in.size();
        return 0;
    }
    std::string_view m_in;
    std::size_t m_at = kMagic.size();
    bool m_ok = true;
};

std::string reasonOf(sqlite3* db, int code) {
    std::string reason = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    if (reason.empty())
        reason = sqlite3_errstr(code);
    return reason;
}

// A file that is there but is no usable cache: damaged, of another program
// or another layout. Anything else (a folder that cannot be written, a full
// disk) is not the file's fault and leaves it alone.
bool damagedFile(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_FORMAT ||
           primary == SQLITE_SCHEMA || primary == SQLITE_MISMATCH || primary == SQLITE_CONSTRAINT;
}

struct OpenOutcome {
    sqlite3* db = nullptr;
    int code = SQLITE_OK;
    std::string reason;
};

OpenOutcome tryOpen(const std::string& path) {
    OpenOutcome out;
    auto give = [&](int code) {
        out.code = code;
        out.reason = reasonOf(out.db, code);
        sqlite3_close(out.db);
        out.db = nullptr;
        return out;
    };
    int code = sqlite3_open_v2(path.c_str(), &out.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK)
        return give(code);
    sqlite3_extended_result_codes(out.db, 1);
    sqlite3_busy_timeout(out.db, kBusyMilliseconds);
    const auto exec = [&](const char* sql) { return sqlite3_exec(out.db, sql, nullptr, nullptr, nullptr); };
    // A file of another program, or one whose pages do not hold together.
    int applicationId = -1;
    int tables = -1;
    std::string check;
    sqlite3_stmt* statement = nullptr;
    const auto one = [&](const char* sql, auto&& take) {
        int rc = sqlite3_prepare_v2(out.db, sql, -1, &statement, nullptr);
        if (rc == SQLITE_OK && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
            take();
            rc = SQLITE_OK;
        }
        sqlite3_finalize(statement);
        statement = nullptr;
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    };
    if ((code = one("PRAGMA application_id", [&] { applicationId = sqlite3_column_int(statement, 0); })) !=
            SQLITE_OK ||
        (code = one("SELECT count(*) FROM sqlite_master",
                    [&] { tables = sqlite3_column_int(statement, 0); })) != SQLITE_OK ||
        (code = one("PRAGMA quick_check(1)", [&] {
             const auto* text = sqlite3_column_text(statement, 0);
             check = text ? reinterpret_cast<const char*>(text) : "";
         })) != SQLITE_OK)
        return give(code);
    if (check != "ok") {
        out.code = SQLITE_CORRUPT;
        out.reason = "its pages do not hold together";
        sqlite3_close(out.db);
        out.db = nullptr;
        return out;
    }
    if (applicationId != kApplicationId && tables != 0) {
        out.code = SQLITE_NOTADB;
        out.reason = "it is not a file of remembered results";
        sqlite3_close(out.db);
        out.db = nullptr;
        return out;
    }
    code =
        exec("PRAGMA application_id=1330796100;"
             "CREATE TABLE IF NOT EXISTS results(path BLOB NOT NULL, options INTEGER NOT NULL, size INTEGER, "
             "modified INTEGER, changed INTEGER, inode INTEGER, device INTEGER, readers TEXT, result BLOB, "
             "PRIMARY KEY(path, options)) WITHOUT ROWID");
    if (code != SQLITE_OK)
        return give(code);
    return out;
}

bool setAside(const std::string& path, std::string& to) {
    to = path + ".bad";
    std::error_code error;
    std::filesystem::rename(path, to, error);
    if (error)
        return false;
    for (const char* suffix : {"-wal", "-shm"})
        std::filesystem::remove(path + suffix, error);
    return true;
}

} // namespace

static_assert(kApplicationId == 1330796100);

std::uint32_t OptionsKey(const ReadOptions& options) {
    return (options.allText ? 1u : 0u) | (options.pdf ? 2u : 0u) | (options.pictures ? 4u : 0u);
}

std::string EncodeFileResult(const FileResult& result) {
    Writer w;
    w.u(result.failures.size());
    for (const StepFailure& f : result.failures)
        w.failure(f);
    w.u(result.fileFailure ? 1 : 0);
    if (result.fileFailure)
        w.failure(*result.fileFailure);
    w.u(result.failuresBeforeFile);
    w.u(result.addresses.size());
    for (const FoundAddress& a : result.addresses) {
        w.s(a.address);
        w.u(static_cast<std::uint32_t>(a.slide));
        w.u(static_cast<std::uint64_t>(a.place));
        w.s(a.name);
    }
    w.u(result.skipped.size());
    for (const SkippedPart& p : result.skipped) {
        w.s(p.part);
        w.s(p.description);
        w.u(static_cast<std::uint64_t>(p.kind));
    }
    w.u(result.candidates);
    return w.take();
}

std::optional<FileResult> DecodeFileResult(std::string_view bytes) {
    if (!bytes.starts_with(kMagic))
        return std::nullopt;
    Reader r(bytes);
    FileResult result;
    constexpr auto kinds = static_cast<std::uint64_t>(FailureKind::InputOutput) + 1;
    for (std::uint64_t n = r.count(); r.ok() && n > 0; --n)
        result.failures.push_back(r.failure());
    if (r.below(2))
        result.fileFailure = r.failure();
    result.failuresBeforeFile = r.below(result.failures.size() + 1);
    for (std::uint64_t n = r.count(); r.ok() && n > 0; --n) {
        FoundAddress a;
        a.address = r.s();
        a.slide = static_cast<int>(r.below(1u << 31));
        a.place = static_cast<TextPlace>(r.below(std::size(kTextPlaces)));
        a.name = r.s();
        result.addresses.push_back(std::move(a));
    }
    for (std::uint64_t n = r.count(); r.ok() && n > 0; --n) {
        SkippedPart p;
        p.part = r.s();
        p.description = r.s();
        p.kind = static_cast<FailureKind>(r.below(kinds));
        result.skipped.push_back(std::move(p));
    }
    result.candidates = r.u();
    if (!r.ok() || !r.atEnd())
        return std::nullopt;
    return result;
}

std::unique_ptr<ResultCache> ResultCache::open(const std::string& path, std::optional<Problem>& problem) {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    OpenOutcome opened = tryOpen(path);
    if (!opened.db && damagedFile(opened.code)) {
        Problem aside{opened.reason, {}};
        if (!setAside(path, aside.setAsideAs)) {
            problem = Problem{opened.reason + "; it could not be set aside", {}};
            return nullptr;
        }
        problem = aside;
        opened = tryOpen(path);
    }
    if (!opened.db) {
        if (!problem)
            problem = Problem{opened.reason, {}};
        return nullptr;
    }
    std::unique_ptr<ResultCache> cache(new ResultCache(opened.db));
    if (!cache->prepare()) {
        problem = Problem{reasonOf(opened.db, sqlite3_errcode(opened.db)), {}};
        return nullptr;
    }
    return cache;
}

ResultCache::ResultCache(sqlite3* db) : m_db(db) {}

ResultCache::~ResultCache() {
    std::optional<Problem> ignored;
    flush(ignored);
    sqlite3_finalize(m_find);
    sqlite3_finalize(m_store);
    sqlite3_close(m_db);
}

bool ResultCache::prepare() {
    return sqlite3_prepare_v2(m_db,
                              "SELECT size, modified, changed, inode, device, readers, result FROM results "
                              "WHERE path = ?1 AND options = ?2",
                              -1, &m_find, nullptr) == SQLITE_OK &&
           sqlite3_prepare_v2(m_db,
                              "INSERT OR REPLACE INTO results(path, options, size, modified, changed, inode, "
                              "device, readers, result) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
                              -1, &m_store, nullptr) == SQLITE_OK;
}

std::optional<FileResult> ResultCache::find(const std::string& path, std::uint32_t options,
                                            const FileStamp& stamp) {
    std::lock_guard lock(m_mutex);
    std::optional<FileResult> found;
    sqlite3_bind_blob(m_find, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
    sqlite3_bind_int64(m_find, 2, options);
    if (sqlite3_step(m_find) == SQLITE_ROW) {
        const auto column = [&](int i) {
            return static_cast<std::uint64_t>(sqlite3_column_int64(m_find, i));
        };
        const FileStamp stored{column(0), sqlite3_column_int64(m_find, 1), sqlite3_column_int64(m_find, 2),
                               column(3), column(4)};
        const auto* readers = reinterpret_cast<const char*>(sqlite3_column_text(m_find, 5));
        if (stored == stamp && readers && ReadersVersion() == readers) {
            const auto* blob = static_cast<const char*>(sqlite3_column_blob(m_find, 6));
            const int size = sqlite3_column_bytes(m_find, 6);
            if (blob)
                found = DecodeFileResult(std::string_view(blob, static_cast<std::size_t>(size)));
        }
    }
    // A row that cannot be read is a miss: the file is read and the row
    // written again.
    sqlite3_reset(m_find);
    sqlite3_clear_bindings(m_find);
    return found;
}

bool ResultCache::fail(std::optional<Problem>& problem) {
    if (!m_broken)
        problem = Problem{reasonOf(m_db, sqlite3_extended_errcode(m_db)), {}};
    m_broken = true;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_batched = 0;
    return false;
}

bool ResultCache::store(const std::string& path, std::uint32_t options, const FileStamp& stamp,
                        const FileResult& result, std::optional<Problem>& problem) {
    std::lock_guard lock(m_mutex);
    if (m_broken)
        return false;
    if (m_batched == 0 && sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail(problem);
    const std::string blob = EncodeFileResult(result);
    const std::string_view readers = ReadersVersion();
    sqlite3_bind_blob(m_store, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
    sqlite3_bind_int64(m_store, 2, options);
    sqlite3_bind_int64(m_store, 3, static_cast<sqlite3_int64>(stamp.size));
    sqlite3_bind_int64(m_store, 4, stamp.modified);
    sqlite3_bind_int64(m_store, 5, stamp.changed);
    sqlite3_bind_int64(m_store, 6, static_cast<sqlite3_int64>(stamp.inode));
    sqlite3_bind_int64(m_store, 7, static_cast<sqlite3_int64>(stamp.device));
    sqlite3_bind_text(m_store, 8, readers.data(), static_cast<int>(readers.size()), SQLITE_STATIC);
    sqlite3_bind_blob(m_store, 9, blob.data(), static_cast<int>(blob.size()), SQLITE_STATIC);
    const int code = sqlite3_step(m_store);
    sqlite3_reset(m_store);
    sqlite3_clear_bindings(m_store);
    if (code != SQLITE_DONE)
        return fail(problem);
    if (++m_batched >= kBatch) {
        m_batched = 0;
        if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            return fail(problem);
    }
    return true;
}

bool ResultCache::flush(std::optional<Problem>& problem) {
    std::lock_guard lock(m_mutex);
    if (m_broken || m_batched == 0)
        return !m_broken;
    m_batched = 0;
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail(problem);
    return true;
}

CachedRead ReadThroughCache(const std::string& path, PresentationHost& host, const ReadOptions& options,
                            ResultCache* cache, const std::function<void()>& pump) {
    CachedRead read;
    const std::optional<FileStamp> before = cache ? StampOf(path) : std::nullopt;
    if (before) {
        if (auto stored = cache->find(path, OptionsKey(options), *before)) {
            read.result = std::move(*stored);
            read.fromCache = true;
            read.stamp = before;
            return read;
        }
    }
    read.result = ReadFileResult(path, host, options, pump);
    if (before && StampOf(path) == before)
        read.stamp = before;
    return read;
}

bool KeepRead(ResultCache* cache, const std::string& path, const ReadOptions& options, const CachedRead& read,
              std::optional<ResultCache::Problem>& problem) {
    if (!cache || read.fromCache || !read.stamp || !storable(read.result))
        return true;
    return cache->store(path, OptionsKey(options), *read.stamp, read.result, problem);
}

} // namespace orv
