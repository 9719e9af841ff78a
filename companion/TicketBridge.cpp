// The plug-in operations behind the companion seam: our .4SP reader and ticket painter.
// A plug-in is read again when its file changes, so an author sees an edit at the next
// stop, and kept otherwise, so stepping stays instant.
#include "Companion.h"
#include "Cp932.h"
#include "TicketPainter.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <map>

Q_LOGGING_CATEGORY(lcPlugin, "minamo.plugin")

namespace {

struct Cached {
    QDateTime modified;
    qint64 size = -1;
    ticket::ParseResult result;
};

// The plug-in at `path`, or null with the reason logged once per change of the file.
const ticket::Plugin* plugin(const QString& path) {
    static std::map<QString, Cached> cache;
    const QFileInfo fi(path);
    const QDateTime modified = fi.exists() ? fi.lastModified() : QDateTime();
    const qint64 size = fi.exists() ? fi.size() : -1;
    auto it = cache.find(path);
    if (it == cache.end() || it->second.modified != modified || it->second.size != size) {
        Cached c{modified, size, ticket::loadPlugin(path)};
        if (!c.result.plugin)
            qCWarning(lcPlugin).noquote()
                << "ticket plug-in" << path << "refused:" << c.result.error;
        if (cache.size() > 32)
            cache.clear();
        it = cache.insert_or_assign(path, std::move(c)).first;
    }
    return it->second.result.plugin ? &*it->second.result.plugin : nullptr;
}

} // namespace

int32_t Companion::QV4_GetPlgInfo(const QString& path, ticket::PlgInfo& info) {
    const ticket::Plugin* p = plugin(path);
    if (!p)
        return 0;
    info = p->info;
    return 1;
}

void Companion::QV4_SetPlgComment(const QString& path, QPlainTextEdit* box) {
    if (const ticket::Plugin* p = plugin(path); p && box)
        box->setPlainText(p->notes);
}

void Companion::QV4_SetCorpAddList(const QString& path, QComboBox* list) {
    const ticket::Plugin* p = plugin(path);
    if (!p || !list)
        return;
    list->clear();
    list->addItems(p->companies);
    list->setCurrentIndex(p->companies.isEmpty() ? -1 : 0);
}

QStringList Companion::QV4_CorpList(const QString& path) {
    const ticket::Plugin* p = plugin(path);
    return p ? p->companies : QStringList();
}

void Companion::QV4_DrawSeiriken(const QString& path, QImage& picture, SeirikenArgs& args) {
    const ticket::Plugin* p = plugin(path);
    if (!p)
        return;
    ticket::TicketData d;
    // With nothing chosen the ticket carries the first company, as the machine would.
    if (!p->companies.isEmpty())
        d.company = p->companies.value(args.company >= 0 ? args.company : 0, p->companies.front());
    auto text = [](const QByteArray& b) {
        return cp932::decode(std::string_view(b.constData(), static_cast<size_t>(b.size())));
    };
    d.stopName = text(args.stopName);
    d.date = text(args.date);
    d.time = text(args.time);
    d.route = args.route;
    d.ticketNo = args.ticketNo;
    d.row = args.row;
    ticket::drawTicket(*p, picture, d);
}
