#pragma once
// The connection data module: it only says where the book is and how it is keyed. The
// connection opens on the first statement that any part of the program runs.
#include "DbConnection.h"

#include <QObject>
#include <QString>

class TdmK2V : public QObject {
    Q_OBJECT
public:
    // The book stands in the program's folder; tests may name another folder.
    explicit TdmK2V(QObject* parent = nullptr);
    explicit TdmK2V(const QString& programFolder, QObject* parent = nullptr);
    ~TdmK2V() override;

    TDbConnection ADOConnection;

    static inline const QString DatabaseFileName = QStringLiteral("ZORP.DAT");

    // The folder of the running program with its trailing separator, whatever the
    // current directory is.
    static QString ProgramFolder();

private:
    void DataModuleCreate(const QString& programFolder);
};

extern TdmK2V* dmK2V;
