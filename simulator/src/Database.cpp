#include "Database.h"

#include <stdexcept>

namespace znsim {

namespace {

// Every failure names the file: a damaged or read-only file is then found without a search.
std::string FileOf(sqlite3* db) {
  const char* name = db ? sqlite3_db_filename(db, "main") : nullptr;
  return name && *name ? name : "the database";
}

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
  // Extended codes say more than a client needs; their low byte is the primary code.
  const int code = db ? sqlite3_extended_errcode(db) & 0xFF : SQLITE_NOMEM;
  throw DatabaseError(
      code, FileOf(db) + ": " + what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

}  // namespace

std::string DatabaseError::reason() const {
  switch (code_) {
    case SQLITE_FULL:
      return "the server's disk is full";
    case SQLITE_READONLY:
      return "the server's database is read-only";
    case SQLITE_IOERR:
      return "the server cannot read or write its database (disk I/O error)";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return "the server's database is damaged";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return "the server's database is busy";
    case SQLITE_NOMEM:
      return "the server ran out of memory";
    default:
      return std::string("the server's database failed: ") + sqlite3_errstr(code_);
  }
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
      SQLITE_OK) {
    Fail(db, "prepare failed");
  }
}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

Statement& Statement::Bind(int index, std::int64_t value) {
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) Fail(db_, "bind failed");
  return *this;
}

Statement& Statement::Bind(int index, double value) {
  if (sqlite3_bind_double(stmt_, index, value) != SQLITE_OK) Fail(db_, "bind failed");
  return *this;
}

Statement& Statement::Bind(int index, std::string_view value) {
  if (sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                        SQLITE_TRANSIENT) != SQLITE_OK) {
    Fail(db_, "bind failed");
  }
  return *this;
}

Statement& Statement::BindKept(int index, std::string_view value) {
  if (sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                        SQLITE_STATIC) != SQLITE_OK) {
    Fail(db_, "bind failed");
  }
  return *this;
}

Statement& Statement::BindNull(int index) {
  if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) Fail(db_, "bind failed");
  return *this;
}

bool Statement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(db_, "step failed");
}

void Statement::Run() {
  while (Step()) {
  }
  Reset();
}

void Statement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::int64_t Statement::Int(int column) const {
  return sqlite3_column_int64(stmt_, column);
}
double Statement::Real(int column) const {
  return sqlite3_column_double(stmt_, column);
}
bool Statement::IsNull(int column) const {
  return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::string Statement::Text(int column) const {
  const auto* text = sqlite3_column_text(stmt_, column);
  if (text == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(text),
                     static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

Database::Database(const std::filesystem::path& file) {
  if (sqlite3_open_v2(file.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw std::runtime_error("cannot open " + file.string() + ": " + message);
  }
  try {
    if (sqlite3_db_readonly(db_, "main") == 1) {
      throw std::runtime_error(file.string() + ": the file is read-only");
    }
    sqlite3_busy_timeout(db_, 5000);
    // The first statement reads the file: a damaged one fails here, at start-up.
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=FULL");
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
}

Database::~Database() {
  // A clean close checkpoints the WAL into the main file.
  sqlite3_close_v2(db_);
}

void Database::Exec(std::string_view sql) {
  char* error = nullptr;
  const std::string text(sql);
  if (const int code = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error);
      code != SQLITE_OK) {
    const std::string message = error ? error : "unknown error";
    sqlite3_free(error);
    throw DatabaseError(code & 0xFF, FileOf(db_) + ": " + message);
  }
}

Transaction::Transaction(Database& db) : db_(db) {
  db_.Exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
  if (!done_) sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::Commit() {
  db_.Exec("COMMIT");
  done_ = true;
}

}  // namespace znsim
