#pragma once
// A reading dictionary users keep beside their broadcast files (yomi.csv: lines of
// 表記,読み): place names the speech engine misreads are replaced by their reading before
// synthesis, the longest written form first.
#include <QString>
#include <string_view>
#include <utility>
#include <vector>

class Readings {
  public:
    // Reads CP932, or UTF-8 when the bytes start with its byte order mark.
    static Readings fromBytes(std::string_view bytes);
    static Readings fromFile(const QString& path);

    // The text with every known written form replaced by its reading, scanning left to
    // right and taking the longest form that matches at each place.
    QString apply(const QString& text) const;
    size_t size() const { return pairs_.size(); }

  private:
    std::vector<std::pair<QString, QString>> pairs_; // longest written form first
};

// The pieces a text is spoken in: cut after 。、！？ (and their ASCII forms) so the first
// piece can be heard while the rest is still being synthesised.
std::vector<QString> speechPieces(const QString& text);
