// Date and time entry and the number mask language must take any text without crashing, hanging
// or producing values outside their range.
#include "kit/entry/dateentry.h"
#include "kit/entry/telefon.h"
#include "kit/entry/timeentry.h"
#include "kit/numbermask.h"

#include <QDateTime>
#include <cstdint>
#include <cstdlib>

extern "C" const char *const *FuzzSeeds()
{
    static const char *const seeds[] = {"2503", "25.03.", "1.3.24", "31.02.", "830", "8:30", "+0:00", "24:01",
                                        "+49 (030) 123", "Text(R) Datum(JJMM) Zahl(.6)", "Zahl(.500)", "Zahl(%n)",
                                        "Datumgross(TT/MMM/JJJJ)", nullptr};
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    bool ok = false;
    const QString date = kit::NormalizeDateText(text, QDate(2026, 12, 11), &ok);
    if (ok && !QDate::fromString(date, QStringLiteral("dd.MM.yyyy")).isValid())
        std::abort();
    if (!ok && !date.isEmpty())
        std::abort();
    if (const auto m = kit::ParseMinutes(text)) {
        if (*m < 0 || *m > kit::kMinutesPerDay)
            std::abort();
        if (kit::ParseMinutes(kit::FormatMinutes(*m)) != m)
            std::abort(); // what we write back must read back the same
    }
    const QString tel = kit::NormalizeTelephone(text);
    if (tel.size() > text.size())
        std::abort();
    const QString nr = kit::EvaluateNumberMask(text, 1234, QDateTime(QDate(2024, 3, 5), QTime(9, 7)));
    if (nr.size() > 200)
        std::abort();
    return 0;
}
