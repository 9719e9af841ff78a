#include "FeedFiles.h"

#include "RegularFile.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <zip.h>

namespace gtfs {

namespace {

QString baseName(const QString& entry) {
    return entry.section(QLatin1Char('/'), -1).toLower();
}

// Where two entries share a name, the one nearer the top wins.
void note(QHash<QString, QString>& names, const QString& entry) {
    const QString name = baseName(entry);
    if (!name.endsWith(QLatin1String(".txt")))
        return;
    const auto it = names.find(name);
    if (it == names.end() || entry.count(QLatin1Char('/')) < it->count(QLatin1Char('/')))
        names.insert(name, entry);
}

class FolderFeed : public FeedFiles {
  public:
    explicit FolderFeed(const QString& dir) {
        path_ = dir;
        QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            note(names_, QDir(dir).relativeFilePath(it.next()));
    }

  protected:
    std::optional<QByteArray> readEntry(const QString& entry, QString* error) const override {
        const QString file = QDir(path_).filePath(entry);
        if (const auto why = files::notRegularFile(file)) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(file, *why);
            return std::nullopt;
        }
        QFile f(file);
        if (QFileInfo(file).size() > kMaxFileBytes || !f.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(file, f.errorString());
            return std::nullopt;
        }
        return f.readAll();
    }
};

class ZipFeed : public FeedFiles {
  public:
    ~ZipFeed() override {
        if (zip_)
            zip_close(zip_);
    }
    bool open(const QString& file, QString* error) {
        path_ = file;
        int code = 0;
        zip_ = zip_open(QFile::encodeName(file).constData(), ZIP_RDONLY, &code);
        if (!zip_) {
            zip_error_t e;
            zip_error_init_with_code(&e, code);
            *error = QStringLiteral("%1: %2").arg(file, QString::fromUtf8(zip_error_strerror(&e)));
            zip_error_fini(&e);
            return false;
        }
        const zip_int64_t n = zip_get_num_entries(zip_, 0);
        qint64 total = 0;
        for (zip_int64_t i = 0; i < n; ++i) {
            zip_stat_t st;
            if (zip_stat_index(zip_, static_cast<zip_uint64_t>(i), 0, &st) != 0 ||
                !(st.valid & ZIP_STAT_NAME))
                continue;
            const QString name = QString::fromUtf8(st.name);
            if (name.endsWith(QLatin1Char('/')) || name.startsWith(QLatin1String("__MACOSX/")))
                continue;
            const qint64 size = static_cast<qint64>(st.size);
            const qint64 packed = std::max<qint64>(1, static_cast<qint64>(st.comp_size));
            total += size;
            if (size > kMaxFileBytes || total > kMaxTotalBytes ||
                (size > 1024 * 1024 && size / packed > kMaxRatio)) {
                *error = QStringLiteral("%1: %2 would unpack to %3 bytes; not a feed")
                             .arg(file, name)
                             .arg(size);
                return false;
            }
            note(names_, name);
            sizes_.insert(name, size);
        }
        return true;
    }

  protected:
    std::optional<QByteArray> readEntry(const QString& entry, QString* error) const override {
        zip_file_t* f = zip_fopen(zip_, entry.toUtf8().constData(), 0);
        if (!f) {
            if (error)
                *error = QStringLiteral("%1: %2: %3")
                             .arg(path_, entry, QString::fromUtf8(zip_strerror(zip_)));
            return std::nullopt;
        }
        QByteArray out;
        out.resize(static_cast<qsizetype>(sizes_.value(entry)));
        const zip_int64_t got = zip_fread(f, out.data(), static_cast<zip_uint64_t>(out.size()));
        zip_fclose(f);
        if (got != out.size()) {
            if (error)
                *error = QStringLiteral("%1: %2: cannot be read whole").arg(path_, entry);
            return std::nullopt;
        }
        return out;
    }

  private:
    zip_t* zip_ = nullptr;
    QHash<QString, qint64> sizes_;
};

} // namespace

std::unique_ptr<FeedFiles> FeedFiles::open(const QString& path, QString* error) {
    const QFileInfo info(path);
    if (info.isDir())
        return std::make_unique<FolderFeed>(path);
    if (const auto why = files::notRegularFile(path)) {
        *error = QStringLiteral("%1: %2").arg(path, *why);
        return nullptr;
    }
    auto z = std::make_unique<ZipFeed>();
    if (!z->open(path, error))
        return nullptr;
    return z;
}

std::optional<QByteArray> FeedFiles::read(const QString& name, QString* error) const {
    const auto it = names_.find(name.toLower());
    if (it == names_.end())
        return std::nullopt;
    return readEntry(*it, error);
}

} // namespace gtfs
