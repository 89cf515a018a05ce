#include "Resources.h"

#include <QFile>
#include <QString>

#include <cstring>
#include <mutex>
#include <set>

namespace {
thread_local OSErr lastResError = noErr;
std::mutex ownedMutex;
std::set<Handle> owned; // handles still belonging to the resource manager

QString resourcePath(ResType type, int16_t id) {
    char code[5] = {char(type >> 24), char(type >> 16), char(type >> 8), char(type), 0};
    return QStringLiteral(":/resources/%1/%2").arg(QString::fromLatin1(code)).arg(id);
}
} // namespace

Handle Get1Resource(ResType type, int16_t id) {
    QFile file(resourcePath(type, id));
    if (!file.open(QIODevice::ReadOnly)) {
        lastResError = resNotFound;
        return nullptr;
    }
    QByteArray bytes = file.readAll();
    Handle h = NewHandle(long(bytes.size()));
    if (!h) {
        lastResError = memFullErr;
        return nullptr;
    }
    if (!bytes.isEmpty()) std::memcpy(*h, bytes.constData(), size_t(bytes.size()));
    {
        std::lock_guard lock(ownedMutex);
        owned.insert(h);
    }
    lastResError = noErr;
    return h;
}

OSErr ResError() {
    return lastResError;
}

void DetachResource(Handle resource) {
    std::lock_guard lock(ownedMutex);
    lastResError = owned.erase(resource) ? noErr : resNotFound;
}

void ReleaseResource(Handle resource) {
    bool wasOwned;
    {
        std::lock_guard lock(ownedMutex);
        wasOwned = owned.erase(resource) > 0;
    }
    lastResError = wasOwned ? noErr : resNotFound;
    if (wasOwned) DisposeHandle(resource);
}
