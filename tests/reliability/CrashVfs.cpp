#include "CrashVfs.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <stdexcept>

namespace {

sqlite3_vfs* g_system = nullptr;  // the system's own layer underneath
sqlite3_vfs g_vfs;

struct TShimFile {
    sqlite3_file base;
    sqlite3_file* real;  // the system layer's file, right after this struct
    std::string path;    // empty for a file the layer does not follow
};

TCrashVfs* Layer()
{
    return &TCrashVfs::Instance();
}

sqlite3_file* Real(sqlite3_file* f)
{
    return reinterpret_cast<TShimFile*>(f)->real;
}

const std::string& PathOf(sqlite3_file* f)
{
    return reinterpret_cast<TShimFile*>(f)->path;
}

int Close(sqlite3_file* f)
{
    auto* file = reinterpret_cast<TShimFile*>(f);
    const int rc = file->real->pMethods ? file->real->pMethods->xClose(file->real) : SQLITE_OK;
    file->path.~basic_string();
    return rc;
}

int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset)
{
    if (!PathOf(f).empty())
        if (const int rc = Layer()->Check(TCrashVfs::TFault::Read); rc != SQLITE_OK)
            return rc;
    return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
}

qint64 SizeOf(sqlite3_file* real)
{
    sqlite3_int64 size = 0;
    if (real->pMethods->xFileSize(real, &size) != SQLITE_OK)
        throw std::runtime_error("file size unreadable");
    return size;
}

// Remembers what the range held before it is written or cut away.
void Remember(sqlite3_file* f, qint64 offset, qint64 length, qint64 written)
{
    TCrashVfs::TFileLog& log = Layer()->Logs()[PathOf(f)];
    const qint64 size = SizeOf(Real(f));
    if (log.syncedSize < 0)
        log.syncedSize = size;
    TCrashVfs::TPending pending;
    pending.offset = offset;
    pending.length = written;
    const qint64 reach = std::max<qint64>(0, std::min(length, size - offset));
    pending.old.resize(size_t(reach));
    if (reach > 0)
        Real(f)->pMethods->xRead(Real(f), pending.old.data(), int(reach), offset);
    log.pending.push_back(std::move(pending));
}

int Write(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset)
{
    if (!PathOf(f).empty()) {
        if (int rc = Layer()->CheckPoint(); rc != SQLITE_OK)
            return rc;
        if (int rc = Layer()->Check(TCrashVfs::TFault::Write); rc != SQLITE_OK)
            return rc;
        if (int rc = Layer()->Check(TCrashVfs::TFault::Full); rc != SQLITE_OK)
            return rc;
        Remember(f, offset, amount, amount);
    }
    return Real(f)->pMethods->xWrite(Real(f), data, amount, offset);
}

int Truncate(sqlite3_file* f, sqlite3_int64 size)
{
    if (!PathOf(f).empty()) {
        if (Layer()->Crashed())
            return SQLITE_IOERR_TRUNCATE;
        const qint64 now = SizeOf(Real(f));
        if (size < now)
            Remember(f, size, now - size, 0);
    }
    return Real(f)->pMethods->xTruncate(Real(f), size);
}

int Sync(sqlite3_file* f, int flags)
{
    if (!PathOf(f).empty()) {
        if (int rc = Layer()->CheckPoint(); rc != SQLITE_OK)
            return rc;
        if (int rc = Layer()->Check(TCrashVfs::TFault::Sync); rc != SQLITE_OK)
            return rc;
    }
    const int rc = Real(f)->pMethods->xSync(Real(f), flags);
    if (rc == SQLITE_OK && !PathOf(f).empty())
        Layer()->Logs().erase(PathOf(f));
    return rc;
}

int FileSize(sqlite3_file* f, sqlite3_int64* size)
{
    return Real(f)->pMethods->xFileSize(Real(f), size);
}
int Lock(sqlite3_file* f, int level)
{
    return Real(f)->pMethods->xLock(Real(f), level);
}
int Unlock(sqlite3_file* f, int level)
{
    return Real(f)->pMethods->xUnlock(Real(f), level);
}
int CheckReservedLock(sqlite3_file* f, int* out)
{
    return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg)
{
    return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}
int SectorSize(sqlite3_file* f)
{
    return Real(f)->pMethods->xSectorSize(Real(f));
}
int DeviceCharacteristics(sqlite3_file* f)
{
    return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
}

// Version 1: no shared memory and no memory mapping, so every page goes through Read and Write.
const sqlite3_io_methods g_methods = {1,    &Close,         &Read,       &Write,       &Truncate,
                                      &Sync, &FileSize,     &Lock,       &Unlock,      &CheckReservedLock,
                                      &FileControl, &SectorSize, &DeviceCharacteristics,
                                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

int Open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags)
{
    auto* file = reinterpret_cast<TShimFile*>(f);
    file->base.pMethods = nullptr;
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    std::memset(file->real, 0, size_t(g_system->szOsFile));
    if (Layer()->Crashed())
        return SQLITE_CANTOPEN;
    const int rc = g_system->xOpen(g_system, name, file->real, flags, outFlags);
    if (rc != SQLITE_OK)
        return rc;
    // The book and its journal are followed; the engine's temporary files are not.
    const bool followed = name && (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL));
    new (&file->path) std::string(followed ? name : "");
    file->base.pMethods = &g_methods;
    return SQLITE_OK;
}

int Delete(sqlite3_vfs*, const char* name, int syncDir)
{
    if (Layer()->Crashed())
        return SQLITE_IOERR_DELETE;
    Layer()->Logs().erase(name);
    return g_system->xDelete(g_system, name, syncDir);
}

int Access(sqlite3_vfs*, const char* name, int flags, int* out)
{
    return g_system->xAccess(g_system, name, flags, out);
}

int FullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    return g_system->xFullPathname(g_system, name, size, out);
}

void* DlOpen(sqlite3_vfs*, const char* name)
{
    return g_system->xDlOpen(g_system, name);
}
void DlError(sqlite3_vfs*, int size, char* out)
{
    g_system->xDlError(g_system, size, out);
}
void (*DlSym(sqlite3_vfs*, void* handle, const char* symbol))(void)
{
    return g_system->xDlSym(g_system, handle, symbol);
}
void DlClose(sqlite3_vfs*, void* handle)
{
    g_system->xDlClose(g_system, handle);
}
int Randomness(sqlite3_vfs*, int size, char* out)
{
    return g_system->xRandomness(g_system, size, out);
}
int Sleep(sqlite3_vfs*, int micro)
{
    return g_system->xSleep(g_system, micro);
}
int CurrentTime(sqlite3_vfs*, double* out)
{
    return g_system->xCurrentTime(g_system, out);
}
int GetLastError(sqlite3_vfs*, int size, char* out)
{
    return g_system->xGetLastError ? g_system->xGetLastError(g_system, size, out) : 0;
}

}  // namespace

TCrashVfs& TCrashVfs::Instance()
{
    static TCrashVfs layer;
    return layer;
}

TCrashVfs::TCrashVfs()
{
    g_system = sqlite3_vfs_find(nullptr);
    if (!g_system)
        throw std::runtime_error("the engine has no file-system layer");
    std::memset(&g_vfs, 0, sizeof g_vfs);
    g_vfs.iVersion = 1;
    g_vfs.szOsFile = int(sizeof(TShimFile)) + g_system->szOsFile;
    g_vfs.mxPathname = g_system->mxPathname;
    g_vfs.zName = "zorp-crash";
    g_vfs.xOpen = &Open;
    g_vfs.xDelete = &Delete;
    g_vfs.xAccess = &Access;
    g_vfs.xFullPathname = &FullPathname;
    g_vfs.xDlOpen = &DlOpen;
    g_vfs.xDlError = &DlError;
    g_vfs.xDlSym = &DlSym;
    g_vfs.xDlClose = &DlClose;
    g_vfs.xRandomness = &Randomness;
    g_vfs.xSleep = &Sleep;
    g_vfs.xCurrentTime = &CurrentTime;
    g_vfs.xGetLastError = &GetLastError;
    sqlite3_vfs_register(&g_vfs, 1);
}

void TCrashVfs::FailAt(TFault kind, int nth, bool lasting)
{
    Disarm();
    m_armedFault = true;
    m_faultKind = kind;
    m_faultAt = nth;
    m_lasting = lasting;
}

void TCrashVfs::CrashAt(int point)
{
    Disarm();
    m_crashAt = point;
}

void TCrashVfs::Disarm()
{
    m_armedFault = false;
    m_crashAt = 0;
    m_points = 0;
    m_struck = false;
    std::fill(std::begin(m_calls), std::end(m_calls), 0);
}

int TCrashVfs::Check(TFault kind)
{
    if (m_crashed)
        return kind == TFault::Read ? SQLITE_IOERR_READ : SQLITE_IOERR_WRITE;
    if (!m_armedFault || kind != m_faultKind)
        return SQLITE_OK;
    const int call = ++m_calls[int(kind)];
    if (call < m_faultAt || (call > m_faultAt && !m_lasting))
        return SQLITE_OK;
    m_struck = true;
    ++m_faults;
    // What the system would have said of the call.
    errno = kind == TFault::Full ? ENOSPC : EIO;
    switch (kind) {
    case TFault::Write:
        return SQLITE_IOERR_WRITE;
    case TFault::Read:
        return SQLITE_IOERR_READ;
    case TFault::Sync:
        return SQLITE_IOERR_FSYNC;
    case TFault::Full:
        return SQLITE_FULL;
    }
    return SQLITE_IOERR;
}

int TCrashVfs::CheckPoint()
{
    if (m_crashed)
        return SQLITE_IOERR_WRITE;
    ++m_points;
    if (m_crashAt == 0 || m_points < m_crashAt)
        return SQLITE_OK;
    m_crashed = true;
    m_struck = true;
    errno = EIO;
    return SQLITE_IOERR_WRITE;
}

void TCrashVfs::LosePower(QRandomGenerator& random, bool garbleAll)
{
    for (auto& [path, log] : m_logs) {
        QFile file(QString::fromStdString(path));
        if (!file.exists() || !file.open(QIODevice::ReadWrite))
            continue;
        qint64 size = log.syncedSize;
        // Newest first, so that a dropped write puts back what the one before it left.
        for (size_t i = log.pending.size(); i-- > 0;) {
            const TPending& p = log.pending[i];
            // A cut never reaches the disk; a write is kept, dropped or garbled.
            const int fate = p.length == 0 ? 1 : garbleAll ? 2 : random.bounded(3);
            if (fate == 1) {
                file.seek(p.offset);
                file.write(p.old.data(), qint64(p.old.size()));
                // Past the end the file had, a dropped write leaves nothing behind.
                if (const qint64 beyond = p.length - qint64(p.old.size()); beyond > 0)
                    file.write(QByteArray(int(beyond), '\0'));
                if (p.length > 0)
                    ++m_writesLost;
                continue;
            }
            if (fate == 2) {
                QByteArray noise(int(p.length), Qt::Uninitialized);
                for (char& c : noise)
                    c = char(random.bounded(256));
                file.seek(p.offset);
                file.write(noise);
                ++m_writesGarbled;
            }
            size = std::max(size, p.offset + p.length);
        }
        // What only dropped writes had put past the synced end goes again.
        file.resize(size);
        file.close();
    }
    m_logs.clear();
    m_crashed = false;
    Disarm();
    ++m_powerLosses;
}

bool TCrashVfs::StartWritten(const QString& path) const
{
    const auto log = m_logs.find(path.toStdString());
    if (log == m_logs.end())
        return false;
    for (const TPending& p : log->second.pending)
        if (p.offset == 0 && p.length > 0)
            return true;
    return false;
}
