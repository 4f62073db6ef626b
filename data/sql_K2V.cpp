#include "sql_K2V.h"

#include "Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

TdmK2V* dmK2V = nullptr;

namespace {
// Fixed for every book this program keeps.
const QString DatabasePassword = QStringLiteral("$q4u8a5z$");
}  // namespace

TdmK2V::TdmK2V(QObject* parent) : TdmK2V(ProgramFolder(), parent) { }

TdmK2V::TdmK2V(const QString& programFolder, QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("dmK2V"));
    DataModuleCreate(programFolder);
    dmK2V = this;
}

TdmK2V::~TdmK2V()
{
    if (dmK2V == this)
        dmK2V = nullptr;
}

QString TdmK2V::ProgramFolder()
{
    QString dir;
    if (QCoreApplication::instance())
        dir = QCoreApplication::applicationDirPath();
    else
        dir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2);
    return QDir::toNativeSeparators(dir + '/');
}

void TdmK2V::DataModuleCreate(const QString& programFolder)
{
    QString folder = programFolder;
    if (!folder.endsWith('/') && !folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    ADOConnection.Close();
    ADOConnection.SetDataSource(folder + DatabaseFileName);
    ADOConnection.SetPassword(DatabasePassword);
    ADOConnection.SetSchema(BrindlemarkSchema());
}
