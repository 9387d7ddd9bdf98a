#pragma once
/// A small owner of one SQLite connection and its prepared statements. All access goes
/// through Lock(), so the network workers, the plant ticker and start-up share one file.
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>

namespace znsim {

/// A failure of SQLite. what() names the file, for the server's log; reason() says what went
/// wrong in words a client may be told, without the server's paths.
class DatabaseError : public std::runtime_error {
 public:
  DatabaseError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
  /// SQLite's primary result code (SQLITE_FULL, ...).
  int code() const { return code_; }
  /// "the server's disk is full", "the server's database is damaged", ...
  std::string reason() const;

 private:
  int code_;
};

class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, double value);
  Statement& Bind(int index, std::string_view value);
  /// Binds text without copying it: it must stay unchanged until the statement is next run
  /// or reset. For rows written by the hundred thousand.
  Statement& BindKept(int index, std::string_view value);
  Statement& BindNull(int index);
  /// True while a row is available; throws on an SQLite error.
  bool Step();
  /// Runs to completion; throws on an SQLite error.
  void Run();
  void Reset();

  std::int64_t Int(int column) const;
  double Real(int column) const;
  std::string Text(int column) const;
  bool IsNull(int column) const;

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
};

class Database {
 public:
  /// Opens (creating) the file in WAL mode with full synchronous commits: a commit that
  /// returned is on disk, so an acknowledged write survives a crash.
  explicit Database(const std::filesystem::path& file);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex_); }
  sqlite3* Handle() const { return db_; }
  void Exec(std::string_view sql);

 private:
  std::mutex mutex_;
  sqlite3* db_ = nullptr;
};

/// Commits at the end of a scope, rolls back when left by an exception.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  Database& db_;
  bool done_ = false;
};

}  // namespace znsim
