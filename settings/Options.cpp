#include "Options.h"

#include <limits>

namespace {
using K = OptionField::Kind;
#define I16(f)                                                                                     \
    OptionField {                                                                                  \
#f, K::I16, &Options::f, nullptr, nullptr                                                  \
    }
#define I32(f)                                                                                     \
    OptionField {                                                                                  \
#f, K::I32, nullptr, &Options::f, nullptr                                                  \
    }
#define STR(f)                                                                                     \
    OptionField {                                                                                  \
#f, K::Str, nullptr, nullptr, &Options::f                                                  \
    }
} // namespace

const std::vector<OptionField>& optionFields() {
    static const std::vector<OptionField> fields = {
        STR(FareDataFolder),    STR(BroadcastDataFolder),
        I16(AutoTicketNumbers), I32(TicketColorOff),
        I32(TicketColorOn1),    I32(TicketColorOn2),
        I16(NumberingMode),     I16(LeadingZero),
        I16(PanelAuto),         I16(PanelIndividual),
        I16(OffBuiltIn),        I16(OffUser),
        I16(On1BuiltIn),        I16(On1User),
        I16(On2BuiltIn),        I16(On2User),
        STR(OffImageFile),      STR(On1ImageFile),
        STR(On2ImageFile),      I32(DigitBackColor),
        I32(DigitUnlitColor),   I32(DigitLitColor),
        I16(ShowStopOrder),     I16(StopOrderCell),
        I16(StopOrderFromZero), I16(ShowTicketNumber),
        I16(TicketNumberCell),  I16(ShowRouteNumber),
        I16(RouteNumberCell),   I16(ShowDataColumn),
        I16(DataColumn),        I16(DataColumnCell),
        I32(ChimeiBackColor),   I32(ChimeiForeColor),
        I16(ChimeiFont),        I16(ChimeiBold),
        I16(TsugiwaDisplay),    I32(TsugiwaColorValue),
        I16(TsugiwaFont),       I16(TsugiwaBoldFlag),
        STR(RouteSetSound),     STR(ResetSound),
        I16(StepSoundFixed),    I16(StepSoundByColumn),
        I16(StepSoundSync),     I16(StepSoundAsync),
        STR(StepSoundFile),     I16(StepSoundColumn),
        STR(StepSound1),        STR(StepSound2),
        STR(StepSound3),        I16(PreSoundFixed),
        I16(PreSoundByFlag),    I16(PreSoundSync),
        I16(PreSoundAsync),     STR(PreSoundFile),
        STR(PreSound1),         STR(PreSound2),
        STR(PreSound3),         I16(UseTicketPreview),
        STR(PluginPath),        I16(DatePerPrint),
        I16(DatePerRoute),      I16(DateFixed),
        STR(FixedDateText),
    };
    return fields;
}

const std::vector<OptionField>& ownOptionFields() {
    static const std::vector<OptionField> fields = {
        I16(RemoteControl), I16(RemoteLan), I16(RemoteQuit), I16(TapeFollowsSection), I32(AnnounceDistanceM), I16(BoardZoom),
        I16(LedDisplay),    I16(LedGlow),   I16(LedColor),
    };
    return fields;
}

#undef I16
#undef I32
#undef STR

const OptionField* findOptionField(const QString& name) {
    for (const auto* table : {&optionFields(), &ownOptionFields()})
        for (const auto& f : *table)
            if (name == QLatin1String(f.name))
                return &f;
    return nullptr;
}

std::optional<QString> setOption(Options& o, const QString& name, const QString& value) {
    const OptionField* f = findOptionField(name);
    if (!f)
        return QStringLiteral("unknown option \"%1\"").arg(name);
    if (f->kind == K::Str) {
        o.*(f->str) = value;
        return std::nullopt;
    }
    bool ok = false;
    const long long n = value.trimmed().toLongLong(&ok);
    if (!ok)
        return QStringLiteral("option %1 needs an integer, got \"%2\"").arg(name, value);
    if (f->kind == K::I16) {
        if (n < std::numeric_limits<int16_t>::min() || n > std::numeric_limits<int16_t>::max())
            return QStringLiteral("option %1 is a 16-bit value, %2 is out of range")
                .arg(name, value);
        o.*(f->i16) = static_cast<int16_t>(n);
    } else {
        if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
            return QStringLiteral("option %1 is a 32-bit value, %2 is out of range")
                .arg(name, value);
        o.*(f->i32) = static_cast<int32_t>(n);
    }
    return std::nullopt;
}

QString getOption(const Options& o, const QString& name) {
    const OptionField* f = findOptionField(name);
    if (!f)
        return {};
    switch (f->kind) {
    case K::I16:
        return QString::number(o.*(f->i16));
    case K::I32:
        return QString::number(o.*(f->i32));
    case K::Str:
        return o.*(f->str);
    }
    return {};
}
