#include "Resources.h"

#include "GuiThread.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmapCache>
#include <QResource>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

class ResourceModule {
public:
    ResourceModule(QString root, QString bundleFile)
        : m_root(std::move(root)), m_bundleFile(std::move(bundleFile)) {}

    QString path(ResourceType type, UINT id, const QString& suffix = {}) const {
        static const char* const folders[] = {"bitmap", "icon", "wave", "binary"};
        static const char* const extensions[] = {".png", ".png", ".wav", ".bin"};
        const int t = static_cast<int>(type);
        return QStringLiteral(":%1/%2/%3%4%5")
            .arg(m_root, QLatin1String(folders[t]), QString::number(id), suffix,
                 QLatin1String(extensions[t]));
    }

    const QString& root() const { return m_root; }
    const QString& bundleFile() const { return m_bundleFile; }

private:
    QString m_root;       // resource tree root, e.g. "/pub"
    QString m_bundleFile; // empty for compiled-in modules
};

namespace {

std::mutex g_mutex;
std::map<std::string, std::unique_ptr<ResourceModule>> g_builtin;
std::atomic<HINSTANCE> g_current{nullptr};
QStringList g_searchPath;
bool g_searchPathSet = false;
QString g_dataFolder;
int g_bundleSerial = 0;

QString bundleFileName(const char* fileName) {
    QString name = QFileInfo(QString::fromUtf8(fileName)).fileName();
    if (name.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive))
        name = name.left(name.size() - 4) + QLatin1String(".rcc");
    return name;
}

qreal screenRatio() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return 1.0;
    return qApp->devicePixelRatio();
}

} // namespace

HINSTANCE GetModuleResources(const char* name) {
    std::lock_guard lock(g_mutex);
    auto& slot = g_builtin[name];
    if (!slot)
        slot = std::make_unique<ResourceModule>(QLatin1Char('/') + QLatin1String(name), QString());
    return slot.get();
}

namespace platform {
void SetLibrarySearchPath(const QStringList& folders) {
    std::lock_guard lock(g_mutex);
    g_searchPath = folders;
    g_searchPathSet = !folders.isEmpty();
}

QStringList LibrarySearchPath() {
    std::lock_guard lock(g_mutex);
    if (g_searchPathSet)
        return g_searchPath;
    QStringList folders;
    if (QCoreApplication::instance()) {
        const QString programDir = QCoreApplication::applicationDirPath();
        folders << programDir;
        if (!g_dataFolder.isEmpty())
            folders << QDir::cleanPath(programDir + QLatin1String("/../share/") + g_dataFolder);
    }
    folders << QDir::currentPath();
    return folders;
}

void SetInstalledDataFolder(const QString& name) {
    std::lock_guard lock(g_mutex);
    g_dataFolder = name;
}
} // namespace platform

HMODULE LoadLibrary(const char* fileName) {
    if (!fileName)
        return nullptr;
    const QString name = bundleFileName(fileName);
    for (const QString& folder : platform::LibrarySearchPath()) {
        const QString file = QDir(folder).filePath(name);
        if (!QFileInfo(file).isFile())
            continue;
        QString root;
        {
            std::lock_guard lock(g_mutex);
            root = QStringLiteral("/%1.%2")
                       .arg(QFileInfo(name).completeBaseName())
                       .arg(++g_bundleSerial);
        }
        if (!QResource::registerResource(file, root))
            return nullptr; // present but damaged
        return new ResourceModule(root, file);
    }
    return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
    if (!module || module->bundleFile().isEmpty())
        return FALSE;
    HINSTANCE expected = module;
    g_current.compare_exchange_strong(expected, nullptr);
    QResource::unregisterResource(module->bundleFile(), module->root());
    delete module;
    return TRUE;
}

HINSTANCE AfxGetResourceHandle() {
    HINSTANCE current = g_current.load();
    return current ? current : GetModuleResources("pub");
}

void AfxSetResourceHandle(HINSTANCE module) {
    g_current.store(module);
}

QImage LoadImageResource(HINSTANCE module, UINT id, int scale) {
    if (!module)
        return {};
    if (scale > 1) {
        QImage big(module->path(ResourceType::Bitmap, id, QStringLiteral("@%1x").arg(scale)));
        if (!big.isNull())
            return big;
    }
    return QImage(module->path(ResourceType::Bitmap, id));
}

QPixmap LoadBitmapResource(HINSTANCE module, UINT id) {
    if (!module)
        return {};
    const int scale = screenRatio() > 1.0 ? 2 : 1;
    // Every table shows the same 36 faces and backs: each picture is read and
    // decoded once, and the tables share it (a pixmap is copied on write).
    // The cache belongs to the GUI thread, where pixmaps are made.
    const bool cached = platform::IsGuiThread();
    // By the bundle's file, not its root: each loading of a bundle (each
    // table's pack) registers it under a root of its own.
    const QString& source = module->bundleFile().isEmpty() ? module->root() : module->bundleFile();
    const QString key = QStringLiteral("%1|%2|%3").arg(source).arg(id).arg(scale);
    QPixmap pixmap;
    if (cached && QPixmapCache::find(key, &pixmap))
        return pixmap;
    QImage image = LoadImageResource(module, id, scale);
    if (image.isNull())
        return {};
    pixmap = QPixmap::fromImage(image);
    if (scale > 1 && QFile::exists(module->path(ResourceType::Bitmap, id, QStringLiteral("@2x"))))
        pixmap.setDevicePixelRatio(scale);
    if (cached)
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QIcon LoadIconResource(HINSTANCE module, UINT id) {
    if (!module)
        return {};
    QIcon icon;
    for (int size : {16, 32, 48}) {
        const QString file = module->path(ResourceType::Icon, id, QStringLiteral("_%1").arg(size));
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    const QString plain = module->path(ResourceType::Icon, id);
    if (icon.isNull() && QFile::exists(plain))
        icon.addFile(plain);
    return icon;
}

QByteArray LoadRawResource(HINSTANCE module, ResourceType type, UINT id) {
    if (!module)
        return {};
    QFile file(module->path(type, id));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool HasResource(HINSTANCE module, ResourceType type, UINT id) {
    if (!module)
        return false;
    if (type == ResourceType::Icon)
        return !LoadIconResource(module, id).isNull();
    return QFile::exists(module->path(type, id));
}

QString ResourcePath(HINSTANCE module, ResourceType type, UINT id) {
    return module ? module->path(type, id) : QString();
}
