// Number mask language of the number ranges (ZAEHLRING.FORMAT_MASKE).
//
// A mask is a sequence of parts "Keyword(Argument)". Per part:
//   - the keyword is the text before "(" with blanks and "_" removed, upper-cased;
//   - the argument is the text up to the next ")";
//   - keyword containing DATUM: the argument is a date/time picture (see below);
//     keyword containing TEXT: the argument is copied;
//     keyword containing ZAHL: the argument is a printf-like picture for the counter;
//     an empty keyword ends the evaluation, any other keyword is skipped;
//   - a keyword ending in GROSS upper-cases its part.
// An empty mask gives the counter in decimal; a mask without ZAHL part gets the
// counter appended in decimal. An error ends the evaluation: the text built so
// far (without the failing part and without the appended counter) is the result.
//
// Date picture (after J->Y, T->D, Z->T, either case): d dd (day), ddd dddd (weekday
// "Mo"/"Montag"), m mm (month), mmm (abbreviated month "Jan", "Feb", "Mär", ...),
// mmmm (full month "Januar" ...), y yy (two-digit year), yyy yyyy (four-digit year),
// h hh, n nn, s ss (hour, minute, second), t (hh:nn), tt (hh:nn:ss); letters are
// read case-insensitively and as runs (a longer run is the longest form); "/"
// gives ".", text in '...' or "..." is copied without the quotes, every other
// character is copied. "m" always means the month.
//
// Number picture: right-trimmed, "%" put in front unless it contains one, "d"
// appended unless it ends in d, D, x or X. Then printf-like with exactly one
// conversion d/D (decimal), x (lower hex), X (upper hex); flags "-", "0", "+", " ";
// width and ".precision" are each capped at NumberMaskMaxWidth; "%%" is a literal
// "%". Any other conversion, a second conversion or a "%" at the end is an error.
// Negative counters are written as "-" followed by the magnitude (also in hex).
//
// The result never exceeds NumberMaskMaxLength characters: a part that would make
// it longer is an error.
//
// The database procedure SP_FORMAT_NUMMER implements exactly the same rules.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kit {

inline constexpr int NumberMaskMaxLength = 100;
inline constexpr int NumberMaskMaxWidth = 30;

// Evaluates mask for counter and date. An invalid date means the current date and time.
QString EvaluateNumberMask(const QString &mask, qint64 counter, const QDateTime &date);

// The example masks offered by the mask dialog, each as "name=mask", in display order.
QStringList NumberMaskExamples();

} // namespace kit
