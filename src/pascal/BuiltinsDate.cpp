#include "pascal/Builtins.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QThread>

#include <cmath>

// Date, time and waiting. A TDateTime is a Double: days since 30.12.1899, the time of day as
// the fraction.
namespace pascal {

namespace {

const QDate kEpoch(1899, 12, 30);

double ToDateTime(const QDateTime& aValue)
{
    const QTime t = aValue.time();
    return double(kEpoch.daysTo(aValue.date())) + double(t.msecsSinceStartOfDay()) / 86400000.0;
}

QDateTime FromDateTime(TRuntime& aRt, double aValue, TSourcePos aPos)
{
    if (!std::isfinite(aValue) || std::fabs(aValue) > 3e6)
        aRt.InvalidFloat(aPos);
    const double day = std::floor(aValue);
    qint64 ms = qint64(std::llround(std::fabs(aValue - std::trunc(aValue)) * 86400000.0));
    if (ms >= 86400000)
        ms = 86399999;
    const QDate d = kEpoch.addDays(qint64(day < 0 ? std::ceil(aValue) : day));
    return QDateTime(d, QTime::fromMSecsSinceStartOfDay(int(ms)));
}

TValue Text(const QString& aText)
{
    return TValue::FromStr(TStr(aText.toLatin1()));
}

TValue Now(TRuntime&, const TValue*, int, TSourcePos)
{
    return TValue::FromReal(ToDateTime(QDateTime::currentDateTime()));
}

TValue Date(TRuntime&, const TValue*, int, TSourcePos)
{
    return TValue::FromReal(double(kEpoch.daysTo(QDate::currentDate())));
}

TValue Time(TRuntime&, const TValue*, int, TSourcePos)
{
    return TValue::FromReal(double(QTime::currentTime().msecsSinceStartOfDay()) / 86400000.0);
}

TValue DateToStr(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Text(FromDateTime(aRt, a[0].R, p).date().toString(QStringLiteral("dd.MM.yyyy")));
}

TValue TimeToStr(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Text(FromDateTime(aRt, a[0].R, p).time().toString(QStringLiteral("HH:mm:ss")));
}

TValue DateTimeToStr(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Text(FromDateTime(aRt, a[0].R, p).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
}

// The Delphi picture letters: yyyy yy mm m dd d hh h nn n ss s zzz z, "..." '...' literal.
TValue FormatDateTime(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    const QString format = QString::fromLatin1(a[0].Str().ToByteArray());
    const QDateTime dt = FromDateTime(aRt, a[1].R, p);
    QString out;
    auto count = [&](int aAt, QChar aChar) {
        int n = 0;
        while (aAt + n < format.size() && format.at(aAt + n).toLower() == aChar)
            ++n;
        return n;
    };
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    for (int i = 0; i < format.size();) {
        const QChar c = format.at(i).toLower();
        if (c == u'"' || c == u'\'') {
            const int end = format.indexOf(format.at(i), i + 1);
            out += format.mid(i + 1, (end < 0 ? format.size() : end) - i - 1);
            i = end < 0 ? format.size() : end + 1;
            continue;
        }
        const int n = count(i, c);
        if (c == u'y') {
            out += n <= 2 ? two(dt.date().year() % 100) : QString::number(dt.date().year());
        } else if (c == u'm') {
            out += n >= 2 ? two(dt.date().month()) : QString::number(dt.date().month());
        } else if (c == u'd') {
            out += n >= 2 ? two(dt.date().day()) : QString::number(dt.date().day());
        } else if (c == u'h') {
            out += n >= 2 ? two(dt.time().hour()) : QString::number(dt.time().hour());
        } else if (c == u'n') {
            out += n >= 2 ? two(dt.time().minute()) : QString::number(dt.time().minute());
        } else if (c == u's') {
            out += n >= 2 ? two(dt.time().second()) : QString::number(dt.time().second());
        } else if (c == u'z') {
            out += n >= 3 ? QStringLiteral("%1").arg(dt.time().msec(), 3, 10, QLatin1Char('0'))
                          : QString::number(dt.time().msec());
        } else if (c == u'/') {
            out += u'.';
            i += 1;
            continue;
        } else {
            out += format.at(i);
            i += 1;
            continue;
        }
        i += n;
    }
    return Text(out);
}

TValue EncodeDate(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    const QDate d(int(a[0].I), int(a[1].I), int(a[2].I));
    if (!d.isValid())
        aRt.Raise("EConvertError", QStringLiteral("Ungültiges Argument für Datumskodierung"), p);
    return TValue::FromReal(double(kEpoch.daysTo(d)));
}

TValue EncodeTime(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    const QTime t(int(a[0].I), int(a[1].I), int(a[2].I), int(a[3].I));
    if (!t.isValid())
        aRt.Raise("EConvertError", QStringLiteral("Ungültiges Argument für Zeitkodierung"), p);
    return TValue::FromReal(double(t.msecsSinceStartOfDay()) / 86400000.0);
}

TValue DayOfWeek(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    // Delphi counts Sunday as 1
    return TValue::FromInt(FromDateTime(aRt, a[0].R, p).date().dayOfWeek() % 7 + 1);
}

TValue GetTickCount(TRuntime&, const TValue*, int, TSourcePos)
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return TValue::FromInt(clock.elapsed());
}

// Waits, letting the window repaint meanwhile. The wait counts toward the time limit: a
// script may not outsleep it.
TValue Sleep(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    const qint64 wanted = std::max<qint64>(0, a[0].I);
    const qint64 left = aRt.Limits.MaxRunTimeMs - aRt.ElapsedMs();
    const qint64 ms = std::min(wanted, std::max<qint64>(0, left + 1));
    QElapsedTimer slept;
    slept.start();
    QCoreApplication* app = QCoreApplication::instance();
    const bool events = app != nullptr && app->thread() == QThread::currentThread();
    while (slept.elapsed() < ms) {
        const int slice = int(std::min<qint64>(ms - slept.elapsed(), 20));
        if (events) {
            app->processEvents(QEventLoop::AllEvents, slice);
            QThread::msleep(std::min<unsigned long>(unsigned(slice), 5));
        } else {
            QThread::msleep(unsigned(slice));
        }
    }
    aRt.CheckTime(p);
    return {};
}

} // namespace

void AddDateFuncs(std::vector<TBuiltinFunc>& t)
{
    t.push_back({"Now", "TDateTime", {}, 0, Now});
    t.push_back({"Date", "TDateTime", {}, 0, Date});
    t.push_back({"Time", "TDateTime", {}, 0, Time});
    t.push_back({"DateToStr", "string", {"TDateTime"}, 1, DateToStr});
    t.push_back({"TimeToStr", "string", {"TDateTime"}, 1, TimeToStr});
    t.push_back({"DateTimeToStr", "string", {"TDateTime"}, 1, DateTimeToStr});
    t.push_back({"FormatDateTime", "string", {"string", "TDateTime"}, 2, FormatDateTime});
    t.push_back({"EncodeDate", "TDateTime", {"Word", "Word", "Word"}, 3, EncodeDate});
    t.push_back({"EncodeTime", "TDateTime", {"Word", "Word", "Word", "Word"}, 4, EncodeTime});
    t.push_back({"DayOfWeek", "Integer", {"TDateTime"}, 1, DayOfWeek});
    t.push_back({"GetTickCount", "Cardinal", {}, 0, GetTickCount});
    t.push_back({"GetTickCount64", "Int64", {}, 0, GetTickCount});
    t.push_back({"Sleep", "", {"Cardinal"}, 1, Sleep});
}

} // namespace pascal
