// The score server's SQLite store.
#include "ScoreStore.h"

#include <sqlite3.h>

namespace scores
{

using tilvan::records::CSubmittedResult;

namespace
{
// Results of the best local tables carry no time: they are stored at time 0 (all time only).
constexpr int64_t kUnknownTime = 0;

class Statement
{
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &mStatement, nullptr); }
    ~Statement() { sqlite3_finalize(mStatement); }
    sqlite3_stmt* operator*() const { return mStatement; }
    explicit operator bool() const { return mStatement != nullptr; }

private:
    sqlite3_stmt* mStatement = nullptr;
};

void BindResult(sqlite3_stmt* s, const CSubmittedResult& r, int64_t playedAt)
{
    sqlite3_bind_text(s, 1, r.name.data(), static_cast<int>(r.name.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(s, 2, r.score);
    sqlite3_bind_int(s, 3, r.star_medal);
    sqlite3_bind_int(s, 4, r.fish_medal);
    sqlite3_bind_int(s, 5, r.sun_medal);
    sqlite3_bind_int(s, 6, r.crown ? 1 : 0);
    sqlite3_bind_int64(s, 7, playedAt);
}
} // namespace

ScoreStore::~ScoreStore()
{
    sqlite3_close(mDb);
}

bool ScoreStore::Exec(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(mDb, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    mError = message ? message : "database error";
    sqlite3_free(message);
    return false;
}

bool ScoreStore::Open(const std::string& path)
{
    if (sqlite3_open(path.c_str(), &mDb) != SQLITE_OK) {
        mError = mDb ? sqlite3_errmsg(mDb) : "cannot open the database";
        return false;
    }
    sqlite3_busy_timeout(mDb, 2000);
    return Exec("PRAGMA journal_mode=WAL;") && Exec("PRAGMA synchronous=NORMAL;") &&
           Exec("CREATE TABLE IF NOT EXISTS results (name TEXT NOT NULL, score INTEGER NOT NULL, "
                "star INTEGER NOT NULL, fish INTEGER NOT NULL, sun INTEGER NOT NULL, crown INTEGER NOT NULL, "
                "played_at INTEGER NOT NULL);") &&
           Exec("CREATE INDEX IF NOT EXISTS results_by_time ON results (played_at, score);") &&
           Exec("CREATE INDEX IF NOT EXISTS results_by_name ON results (name, score);");
}

bool ScoreStore::Add(const tilvan::records::CSubmission& submission, int64_t now)
{
    if (!Exec("BEGIN;"))
        return false;
    Statement queued(mDb, "INSERT INTO results VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7);");
    // A best local result is usually also queued, or was sent before: stored once per name and score.
    Statement best(mDb, "INSERT INTO results SELECT ?1, ?2, ?3, ?4, ?5, ?6, ?7 WHERE NOT EXISTS "
                        "(SELECT 1 FROM results WHERE name = ?1 AND score = ?2);");
    bool ok = queued && best;
    for (const CSubmittedResult& r : submission.queued) {
        if (!ok)
            break;
        int64_t age = r.age_minutes < 0 ? 0 : r.age_minutes;
        BindResult(*queued, r, now - age * 60);
        ok = sqlite3_step(*queued) == SQLITE_DONE;
        sqlite3_reset(*queued);
    }
    for (const CSubmittedResult& r : submission.best) {
        if (!ok)
            break;
        BindResult(*best, r, kUnknownTime);
        ok = sqlite3_step(*best) == SQLITE_DONE;
        sqlite3_reset(*best);
    }
    if (!ok) {
        mError = sqlite3_errmsg(mDb);
        Exec("ROLLBACK;");
        return false;
    }
    return Exec("COMMIT;");
}

std::vector<CSubmittedResult> ScoreStore::Best(int64_t since)
{
    std::vector<CSubmittedResult> table;
    // SQLite takes the bare columns from the row that holds the MAX.
    Statement s(mDb, "SELECT name, MAX(score), star, fish, sun, crown FROM results WHERE played_at >= ?1 "
                     "GROUP BY name ORDER BY MAX(score) DESC, MIN(played_at) ASC LIMIT 100;");
    if (!s)
        return table;
    sqlite3_bind_int64(*s, 1, since);
    while (sqlite3_step(*s) == SQLITE_ROW) {
        CSubmittedResult r;
        const unsigned char* name = sqlite3_column_text(*s, 0);
        r.name.assign(name ? reinterpret_cast<const char*>(name) : "",
                      static_cast<size_t>(sqlite3_column_bytes(*s, 0)));
        r.score = sqlite3_column_int(*s, 1);
        r.star_medal = sqlite3_column_int(*s, 2);
        r.fish_medal = sqlite3_column_int(*s, 3);
        r.sun_medal = sqlite3_column_int(*s, 4);
        r.crown = sqlite3_column_int(*s, 5) != 0;
        table.push_back(std::move(r));
    }
    return table;
}

std::vector<CSubmittedResult> ScoreStore::Daily(int64_t now)
{
    return Best(now - now % 86400);
}

std::vector<CSubmittedResult> ScoreStore::Global()
{
    return Best(INT64_MIN);
}

} // namespace scores
