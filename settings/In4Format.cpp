#include "In4Format.h"

#include "Cp932.h"
#include "LittleEndian.h"

#include <limits>

namespace in4 {

namespace {

using K = Field::Kind;

Field intField(QString name, K kind, std::function<int64_t(const SettingsRecord&)> get,
               std::function<void(SettingsRecord&, int64_t)> set) {
    Field f;
    f.name = std::move(name);
    f.kind = kind;
    f.getInt = std::move(get);
    f.setInt = std::move(set);
    return f;
}

std::vector<Field> buildFields() {
    std::vector<Field> out;
    // Blocks 1-6: the options, in the order of the options table.
    for (const OptionField& o : optionFields()) {
        Field f;
        f.name = QString::fromLatin1(o.name);
        switch (o.kind) {
        case OptionField::Kind::Str:
            f.kind = K::Str;
            f.getStr = [p = o.str](const SettingsRecord& r) { return r.options.*p; };
            f.setStr = [p = o.str](SettingsRecord& r, const QString& v) { r.options.*p = v; };
            break;
        case OptionField::Kind::I16:
            f.kind = K::I16;
            f.getInt = [p = o.i16](const SettingsRecord& r) { return r.options.*p; };
            f.setInt = [p = o.i16](SettingsRecord& r, int64_t v) {
                r.options.*p = static_cast<int16_t>(v);
            };
            break;
        case OptionField::Kind::I32:
            f.kind = K::I32;
            f.getInt = [p = o.i32](const SettingsRecord& r) { return r.options.*p; };
            f.setInt = [p = o.i32](SettingsRecord& r, int64_t v) {
                r.options.*p = static_cast<int32_t>(v);
            };
            break;
        }
        out.push_back(std::move(f));
    }
    // Block 7: the control panel.
#define CTRL(name, kind, type)                                                                     \
    out.push_back(intField(                                                                        \
        QStringLiteral(#name), kind, [](const SettingsRecord& r) { return r.ctrl.name; },          \
        [](SettingsRecord& r, int64_t v) { r.ctrl.name = static_cast<type>(v); }))
    CTRL(PanelPage, K::I16, int16_t);
    CTRL(ScrollSpeedValue, K::I32, int32_t);
    CTRL(ScrollIntervalValue, K::I32, int32_t);
    CTRL(LateNightFare, K::I16, int16_t);
    CTRL(PanelExpand, K::I16, int16_t);
    CTRL(PanelLeft, K::I32, int32_t);
    CTRL(PanelTop, K::I32, int32_t);
#undef CTRL
    // Block 8: the board.
    out.push_back(intField(
        QStringLiteral("BoardLeft"), K::I32,
        [](const SettingsRecord& r) { return r.form.BoardLeft; },
        [](SettingsRecord& r, int64_t v) { r.form.BoardLeft = static_cast<int32_t>(v); }));
    out.push_back(intField(
        QStringLiteral("BoardTop"), K::I32, [](const SettingsRecord& r) { return r.form.BoardTop; },
        [](SettingsRecord& r, int64_t v) { r.form.BoardTop = static_cast<int32_t>(v); }));
    // Block 9: the colour chooser's custom colours.
    for (size_t i = 0; i < kCustomColorCount; ++i)
        out.push_back(intField(
            QStringLiteral("CustomColor%1").arg(i + 1), K::I32,
            [i](const SettingsRecord& r) { return r.customColors[i]; },
            [i](SettingsRecord& r, int64_t v) { r.customColors[i] = static_cast<int32_t>(v); }));
    // Block 10 is the constant cell count, handled by the reader and writer themselves.
    // Block 11: the 32 fare digits.
    for (size_t i = 0; i < limits::kFareCells; ++i) {
        const QString n = QStringLiteral("Degit%1.").arg(i + 1);
        out.push_back(intField(
            n + QStringLiteral("Shift"), K::I16,
            [i](const SettingsRecord& r) { return r.degitCells[i].Shift; },
            [i](SettingsRecord& r, int64_t v) {
                r.degitCells[i].Shift = static_cast<int16_t>(v);
            }));
        out.push_back(intField(
            n + QStringLiteral("ZeroMode"), K::I16,
            [i](const SettingsRecord& r) { return r.degitCells[i].ZeroMode; },
            [i](SettingsRecord& r, int64_t v) {
                r.degitCells[i].ZeroMode = static_cast<int16_t>(v);
            }));
        out.push_back(intField(
            n + QStringLiteral("FillZero"), K::I16,
            [i](const SettingsRecord& r) { return r.degitCells[i].FillZero; },
            [i](SettingsRecord& r, int64_t v) {
                r.degitCells[i].FillZero = static_cast<int16_t>(v);
            }));
    }
    return out;
}

// Where block 10 sits: after block 9's last custom colour.
bool isLastCustomColor(const Field& f) {
    return f.name == QStringLiteral("CustomColor%1").arg(kCustomColorCount);
}

} // namespace

const std::vector<Field>& fields() {
    static const std::vector<Field> all = buildFields();
    return all;
}

const Field* findField(const QString& name) {
    for (const Field& f : fields())
        if (f.name == name)
            return &f;
    return nullptr;
}

ReadResult read(std::string_view bytes) {
    ReadResult res;
    le::Reader r(bytes);
    SettingsRecord& rec = res.record;
    // Whatever the file lacks reads as zero or empty, not as the defaults.
    for (const Field& f : fields()) {
        if (!res.complete) {
            if (f.kind == K::Str)
                f.setStr(rec, {});
            else
                f.setInt(rec, 0);
        } else if (f.kind == K::Str) {
            const auto len = r.u16();
            const auto text = len ? r.bytes(*len) : std::nullopt;
            f.setStr(rec, text ? cp932::decode(*text) : QString());
            if (!text)
                res.complete = false;
        } else {
            std::optional<int64_t> v;
            if (f.kind == K::I16) {
                if (const auto x = r.i16())
                    v = *x;
            } else if (const auto x = r.i32()) {
                v = *x;
            }
            if (!v)
                res.complete = false;
            f.setInt(rec, v.value_or(0));
        }
        if (isLastCustomColor(f) && res.complete) {
            const auto count = r.i16();
            if (count)
                res.digitCount = *count;
            else
                res.complete = false;
        }
    }
    res.trailingBytes = r.remaining();
    return res;
}

WriteResult write(const SettingsRecord& rec) {
    le::Writer w;
    for (const Field& f : fields()) {
        switch (f.kind) {
        case K::Str: {
            const std::string b = cp932::encode(f.getStr(rec));
            if (b.size() > std::numeric_limits<uint16_t>::max())
                return {std::nullopt,
                        QStringLiteral("%1 is %2 bytes long; the settings file holds at most 65535")
                            .arg(f.name)
                            .arg(b.size())};
            w.u16(static_cast<uint16_t>(b.size()));
            w.bytes(b);
            break;
        }
        case K::I16:
            w.i16(static_cast<int16_t>(f.getInt(rec)));
            break;
        case K::I32:
            w.i32(static_cast<int32_t>(f.getInt(rec)));
            break;
        }
        if (isLastCustomColor(f))
            w.i16(limits::kFareCells);
    }
    return {w.take(), {}};
}

QString dump(const SettingsRecord& rec, std::optional<int16_t> storedDigitCount) {
    QString out;
    for (const Field& f : fields()) {
        out += f.name + QStringLiteral(" = ");
        out += f.kind == K::Str ? f.getStr(rec) : QString::number(f.getInt(rec));
        out += QLatin1Char('\n');
        if (isLastCustomColor(f))
            out += QStringLiteral("DigitCount = %1\n")
                       .arg(storedDigitCount.value_or(limits::kFareCells));
    }
    return out;
}

std::optional<QString> setField(SettingsRecord& rec, const QString& name, const QString& value) {
    const Field* f = findField(name);
    if (!f)
        return QStringLiteral("unknown field \"%1\"").arg(name);
    if (f->kind == K::Str) {
        f->setStr(rec, value);
        return std::nullopt;
    }
    bool ok = false;
    const long long n = value.trimmed().toLongLong(&ok);
    const long long lo = f->kind == K::I16 ? std::numeric_limits<int16_t>::min()
                                           : std::numeric_limits<int32_t>::min();
    const long long hi = f->kind == K::I16 ? std::numeric_limits<int16_t>::max()
                                           : std::numeric_limits<int32_t>::max();
    if (!ok || n < lo || n > hi)
        return QStringLiteral("%1 takes a whole number from %2 to %3, not \"%4\"")
            .arg(name)
            .arg(lo)
            .arg(hi)
            .arg(value);
    f->setInt(rec, n);
    return std::nullopt;
}

} // namespace in4
