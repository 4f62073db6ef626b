#pragma once
// A file-system layer of our own, registered under the engine as its default, over the
// system's own. It passes every call through and remembers, for the book and its journal,
// what each write since the file's last sync replaced. On command it
// - fails the Nth write, read or sync (or reports the disk full at the Nth write), once or
//   from then on, as a failing disk or a full one does; or
// - loses power at the Nth write or sync: that call and every one after it fails, and once
//   the program has let go of the files, LosePower leaves them as a power cut could:
//   each write not yet synced kept, dropped or garbled.
// The engine is built to survive exactly this; the tests prove the program's saves do too.
#include <QRandomGenerator>
#include <QString>
#include <map>
#include <string>
#include <vector>

class TCrashVfs {
public:
    enum class TFault { Write, Read, Sync, Full };

    // The layer, registered as the engine's default on first use.
    static TCrashVfs& Instance();

    // From now on, the `nth` call of the kind (counted from 1) fails; with `lasting`, so does
    // every later one.
    void FailAt(TFault kind, int nth, bool lasting);
    // From now on, power goes at the `point`-th write or sync (counted from 1).
    void CrashAt(int point);
    // Ends any fault or crash set, and counts calls afresh. What was written but not synced
    // is still remembered.
    void Disarm();
    bool Crashed() const { return m_crashed; }
    // Whether a fault or the crash set has struck since it was set.
    bool Struck() const { return m_struck; }
    // Writes and syncs since the last FailAt, CrashAt or Disarm.
    int Points() const { return m_points; }

    // Once the engine has closed the book: every write since the last sync of its file is
    // kept, dropped or garbled, as `random` decides (or, with `garbleAll`, garbled); then
    // the layer works normally again.
    void LosePower(QRandomGenerator& random, bool garbleAll = false);
    // Whether a write not yet synced reached the start of the file at `path`.
    bool StartWritten(const QString& path) const;

    // Counts for the record.
    int PowerLosses() const { return m_powerLosses; }
    int FaultsInjected() const { return m_faults; }
    int WritesLost() const { return m_writesLost; }
    int WritesGarbled() const { return m_writesGarbled; }

    // For the layer's own calls.
    struct TPending {
        qint64 offset = 0;
        std::string old;     // the bytes the write replaced, as far as the file reached
        qint64 length = 0;   // how many bytes the write put there; 0 for a truncation
    };
    struct TFileLog {
        qint64 syncedSize = -1;  // the file's size at its last sync; -1 while nothing is pending
        std::vector<TPending> pending;
    };
    int Check(TFault kind);
    int CheckPoint();
    std::map<std::string, TFileLog>& Logs() { return m_logs; }

private:
    TCrashVfs();

    std::map<std::string, TFileLog> m_logs;
    bool m_armedFault = false;
    TFault m_faultKind = TFault::Write;
    int m_faultAt = 0;
    bool m_lasting = false;
    int m_calls[4] = {0, 0, 0, 0};
    int m_crashAt = 0;  // 0: no crash set
    int m_points = 0;
    bool m_crashed = false;
    bool m_struck = false;
    int m_powerLosses = 0;
    int m_faults = 0;
    int m_writesLost = 0;
    int m_writesGarbled = 0;
};
