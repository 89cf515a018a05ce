#include "ResourcesQt.h"

#include "Resources.h"

#include <QFile>
#include <QString>

namespace {

QString resourcePath(ResType type, int16_t id) {
    const char code[5] = {char(type >> 24), char(type >> 16), char(type >> 8), char(type), 0};
    return QStringLiteral(":/resources/%1/%2").arg(QString::fromLatin1(code)).arg(id);
}

std::optional<std::vector<char>> readQtResource(ResType type, int16_t id) {
    QFile file(resourcePath(type, id));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    return std::vector<char>(bytes.begin(), bytes.end());
}

} // namespace

void InstallQtResources() {
    SetResourceSource(readQtResource);
}
