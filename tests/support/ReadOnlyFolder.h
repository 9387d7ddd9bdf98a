#pragma once
/// A folder that a save must fail in, also when the tests run as root: root passes every
/// permission check, unless its file-system user is switched to an unprivileged one for the
/// thread (which also drops the capability that overrides permissions).
#include <sys/fsuid.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace testing_support {

class ReadOnlyFolder {
 public:
  /// Holds `files` (name, content) and then takes away every write permission.
  explicit ReadOnlyFolder(std::initializer_list<std::pair<QString, QByteArray>> files = {}) {
    for (const auto& [name, content] : files) {
      QFile file(dir_.filePath(name));
      if (file.open(QIODevice::WriteOnly)) file.write(content);
    }
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                           QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
  }
  ~ReadOnlyFolder() {
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QString path() const { return dir_.path(); }
  QString filePath(const QString& name) const { return dir_.filePath(name); }
  QStringList entries() const {
    return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  /// While it lives, this thread writes files as an unprivileged user.
  class AsUser {
   public:
    AsUser() : root_(geteuid() == 0) {
      if (root_) setfsuid(kNobody);
    }
    ~AsUser() {
      if (root_) setfsuid(0);
    }
    AsUser(const AsUser&) = delete;
    AsUser& operator=(const AsUser&) = delete;

   private:
    static constexpr uid_t kNobody = 65534;
    bool root_;
  };

 private:
  QTemporaryDir dir_;
};

}  // namespace testing_support
