#include "core/CatalogueSchema.h"

#include <QFile>

// The resource lives in a static library: nothing would pull its object file in unless it is
// named. Q_INIT_RESOURCE declares a function, so it stays outside any namespace.
static void initCatalogueSchemaResource() { Q_INIT_RESOURCE(CatalogueSchema); }

namespace core {

QString CatalogueSchema::sql() {
    initCatalogueSchemaResource();
    QFile f(QStringLiteral(":/schema/OVdata.sql"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

} // namespace core
