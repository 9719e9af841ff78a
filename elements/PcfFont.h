#pragma once
// A reader for X11 PCF bitmap fonts (optionally gzip-compressed), the format of the
// hand-drawn 18-dot Japanese fonts: glyph bitmaps by encoding, read with every offset and
// length checked, so a damaged file is refused instead of read past its end.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class PcfFont {
  public:
    struct Glyph {
        int width = 0;   // columns of the bitmap
        int height = 0;  // rows of the bitmap
        int left = 0;    // left side bearing: column of the cell the bitmap starts at
        int top = 0;     // row of the cell (from the font's ascent line) the bitmap starts at
        int advance = 0; // character width
        std::vector<uint8_t> bits; // width x height, 1 = set, row by row
        bool at(int x, int y) const { return bits[static_cast<size_t>(y * width + x)] != 0; }
    };

    // Parses PCF bytes (gzip-wrapped or plain); nothing when they are not a usable font.
    static std::optional<PcfFont> parse(const QByteArray& bytes);
    static std::optional<PcfFont> load(const QString& path);

    int ascent() const { return ascent_; }
    int descent() const { return descent_; }
    // The value of a string property such as "CHARSET_REGISTRY", empty when absent.
    QString property(const QString& name) const;
    // The glyph of an encoding (byte1 << 8 | byte2; single-byte fonts use byte2 only).
    const Glyph* glyph(unsigned code) const;

  private:
    int ascent_ = 0;
    int descent_ = 0;
    int minByte2_ = 0, maxByte2_ = -1, minByte1_ = 0, maxByte1_ = -1;
    std::vector<uint16_t> index_; // encoding -> glyph number, 0xFFFF none
    std::vector<Glyph> glyphs_;
    std::vector<std::pair<QString, QString>> properties_;
};

// Inflates gzip data (a .gz file); nothing when it is not valid gzip or too large.
std::optional<QByteArray> gunzip(const QByteArray& gz, qsizetype limit = 64 * 1024 * 1024);
