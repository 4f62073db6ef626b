#pragma once
// What the period, day record and daily screens hand each other: a month, and a day with
// the daily screen's request to switch to the other kind of line.

struct TPeriodKey {
    int YYYY = 0;
    int MM = 0;
};

// Owned by the screen that opens a daily screen; the daily screen writes SwitchScreen only.
struct TDayKey {
    int YYYY = 0;
    int MM = 0;
    int TRANSACTION_DATE = 0;  // whole days since 30 December 1899
    bool SwitchScreen = false;
};
