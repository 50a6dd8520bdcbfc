#pragma once
// Time entry: "830", "8:30", "8·30" and "+0:00" typed into plain edits become minutes and back.

#include "kitentry_global.h"

#include <QObject>
#include <QString>
#include <optional>

class QLineEdit;

namespace kit {

constexpr int kMinutesPerDay = 1440;

// Minutes of a typed time, or nothing when the text is no valid time. Blanks count as "0" digits,
// ":" and "·" separate, "+" adds one day, line breaks and tabs are ignored; the last two digits
// are the minutes (at most 59), the ones before the hours; at most 1440 minutes in all.
FD_KITENTRY_EXPORT std::optional<int> ParseMinutes(const QString &text);
// "HH:MM" of the minutes (hours modulo one day), with "+" in front from a full day on.
FD_KITENTRY_EXPORT QString FormatMinutes(int minutes);
// The message for a text that is no time.
FD_KITENTRY_EXPORT QString InvalidTimeMessage(const QString &text);

// Validates and rewrites a time edit when it is left. An invalid text shows the German message
// through the host's dialog service and keeps the focus in the edit.
class FD_KITENTRY_EXPORT TimeEntryFilter : public QObject
{
    Q_OBJECT
public:
    explicit TimeEntryFilter(QLineEdit *edit);
    static TimeEntryFilter *install(QLineEdit *edit);
    // Minutes of the edit (0 for a blank edit), or nothing when invalid.
    std::optional<int> minutes() const;

signals:
    void invalid(const QString &message);

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override;

private:
    QLineEdit *m_edit;
    bool m_reporting = false;
};

} // namespace kit
