#include "stats/StatsCore.h"

#include "stats/CaseFold.h"

#include "data/FieldValue.h"
#include "moon/MoonPhase.h"
#include "reports/ReportTemplate.h"

#include <QLocale>
#include <QSaveFile>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace tf::stats {

namespace {

// The mean synodic month the moon arithmetic turns a moon's age into an angle with.
constexpr double kMeanMonth = 29.530589;
// A date at noon lies this far from a new moon at the least before the lunation
// search's half second of grace could change its lunation.
constexpr double kGraceMargin = 1e-5;
const qint64 kDayZeroJdn = QDate(1899, 12, 30).toJulianDay();

// The fish named on the fish screen, each one more fish of its trip.
const char *const kNamedFishColumns[] = {"Fish1", "Fish2", "Fish3", "Fish4", "Fish5"};

// The text columns, in the order of Dimension::Lake .. Dimension::BestDepth.
const char *const kTextColumns[] = {"Lake",       "Fish Caught",    "Best Lure",  "Lure Color",
                                    "Weather",    "Wind Direction", "Wind Speed", "Air Temp",
                                    "Water Temp", "Water Color",    "Structure",  "Best Depth"};

const char *const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

struct DimensionText
{
    const char *title;
    const char *key;
};

constexpr DimensionText kDimensionTexts[kDimensionCount] = {
    {"By year", "year"},
    {"By month", "month"},
    {"By lake or river", "lake"},
    {"By primary species", "species"},
    {"By best lure", "lure"},
    {"By lure colour", "lure_color"},
    {"By weather", "weather"},
    {"By wind direction", "wind_direction"},
    {"By wind speed", "wind_speed"},
    {"By air temperature", "air_temp"},
    {"By water temperature", "water_temp"},
    {"By water colour", "water_color"},
    {"By structure", "structure"},
    {"By best depth", "best_depth"},
    {"By moon phase", "moon_phase"},
};

QString groupKey(const QString &value)
{
    return fullCaseFold(value.trimmed());
}

// `fish` below 0: unknown catch, whatever the reason.
void count(Figures &f, qint64 fish)
{
    ++f.trips;
    if (fish < 0)
        return;
    ++f.known;
    f.fish += fish;
    if (fish == 0)
        ++f.blank;
}

// The time of day of a stored date ("2000-01-22 06:30:00"), in seconds.
std::int32_t secondOfDay(const QString &stored)
{
    const QString t = stored.trimmed();
    if (t.size() < 16)
        return 0;
    const auto part = [&t](int at) { return at + 2 <= t.size() ? t.mid(at, 2).toInt() : 0; };
    return part(11) * 3600 + part(14) * 60 + part(17);
}

// A stored date as the moon code's date-time value at noon: before day 0 the time of
// day carries the sign of the whole value.
double noonValue(qint64 jdn)
{
    const double whole = double(jdn - kDayZeroJdn);
    return whole < 0 ? whole - 0.5 : whole + 0.5;
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString decimal(const std::optional<double> &v)
{
    return v ? QString::number(*v, 'f', 3) : QString();
}

} // namespace

QString dimensionTitle(Dimension d)
{
    return QString::fromLatin1(kDimensionTexts[int(d)].title);
}

QString dimensionKey(Dimension d)
{
    return QString::fromLatin1(kDimensionTexts[int(d)].key);
}

const QStringList &moonPhaseNames()
{
    static const QStringList names{"New Moon",  "Waxing Crescent", "First Quarter", "Waxing Gibbous",
                                   "Full Moon", "Waning Gibbous",  "Last Quarter",  "Waning Crescent"};
    return names;
}

int moonPhaseOfAngle(double degrees)
{
    const int phase = int(std::floor((degrees + 22.5) / 45));
    return ((phase % 8) + 8) % 8;
}

std::optional<double> Figures::fishPerTrip() const
{
    return known > 0 ? std::optional<double>(double(fish) / double(known)) : std::nullopt;
}

std::optional<double> Figures::blankShare() const
{
    return known > 0 ? std::optional<double>(double(blank) / double(known)) : std::nullopt;
}

// ---- Groups ----------------------------------------------------------------------------

std::int32_t TripLog::Groups::idOf(const QString &value)
{
    const QString spelling = value.trimmed();
    const QString key = fullCaseFold(spelling);
    // One look-up whether the group is new or not: a log of many different names makes many groups.
    GroupId &slot = idOfKey[key];
    if (slot.id < 0) {
        slot.id = std::int32_t(spellings.size());
        spellings.emplace_back();
    }
    const std::int32_t id = slot.id;
    Spellings &s = spellings[size_t(id)];
    if (s.firstCount == 0 || s.first == spelling) {
        s.first = spelling;
        ++s.firstCount;
    } else {
        ++s.others[spelling];
    }
    return id;
}

void TripLog::Groups::settleNames()
{
    names.clear();
    names.reserve(qsizetype(spellings.size()));
    for (const Spellings &counts : spellings) {
        QString best = counts.first;
        int bestCount = counts.firstCount;
        for (auto it = counts.others.constBegin(); it != counts.others.constEnd(); ++it)
            if (it.value() > bestCount || (it.value() == bestCount && it.key() < best)) {
                best = it.key();
                bestCount = it.value();
            }
        names << (best.isEmpty() ? kNoneGroup : best);
    }
    spellings.clear();
    spellings.shrink_to_fit();

    // The folded name of a group is the key it was found by, so nothing is folded
    // again. A log of many different names compares them many times over: each
    // is first compared by a number made of its first four letters after what
    // every name begins with ("lake "), and only names that agree on those are
    // compared letter by letter.
    std::vector<const QString *> keys(size_t(names.size()));
    const QString none = fullCaseFold(kNoneGroup);
    for (auto it = idOfKey.constBegin(); it != idOfKey.constEnd(); ++it)
        keys[size_t(it.value().id)] = it.key().isEmpty() ? &none : &it.key();
    qsizetype common = keys.empty() ? 0 : keys.front()->size();
    for (const QString *k : keys)
        while (common > 0 && QStringView(*k).left(common) != QStringView(*keys.front()).left(common))
            --common;
    struct Entry
    {
        std::uint64_t lead;
        std::int32_t group;
    };
    std::vector<Entry> order;
    order.reserve(keys.size());
    for (size_t g = 0; g < keys.size(); ++g) {
        std::uint64_t lead = 0;
        for (qsizetype i = common; i < common + 4; ++i)
            lead = lead << 16 | (i < keys[g]->size() ? keys[g]->at(i).unicode() : 0);
        order.push_back({lead, std::int32_t(g)});
    }
    std::sort(order.begin(), order.end(), [&keys](const Entry &a, const Entry &b) {
        return a.lead != b.lead ? a.lead < b.lead : *keys[size_t(a.group)] < *keys[size_t(b.group)];
    });
    rank.assign(order.size(), 0);
    for (size_t i = 0; i < order.size(); ++i)
        rank[size_t(order[i].group)] = std::int32_t(i);
}

std::int32_t TripLog::Groups::find(const QString &value) const
{
    const std::int32_t id = idOfKey.value(groupKey(value)).id;
    // The window offers the empty group by its shown name.
    return id < 0 && value == kNoneGroup ? idOfKey.value(QString()).id : id;
}

// ---- Loading ---------------------------------------------------------------------------

namespace {

// Waits for another program's lock as a busy timeout would, but gives up as soon
// as the reader is told to stop.
struct BusyWait
{
    const StopFlag *stop = nullptr;
    static int retry(void *self, int attempts)
    {
        constexpr int kStepMs = 10, kLongestMs = 2000;
        const StopFlag *stop = static_cast<BusyWait *>(self)->stop;
        if ((stop && stop->load(std::memory_order_relaxed)) || attempts * kStepMs >= kLongestMs)
            return 0;
        sqlite3_sleep(kStepMs);
        return 1;
    }
};

bool stopped(const StopFlag *stop)
{
    return stop && stop->load(std::memory_order_relaxed);
}

const QString kStopped = QStringLiteral("Stopped.");

} // namespace

bool TripLog::load(const QString &databasePath, QString *error, const StopFlag *stop)
{
    m_trips.clear();
    m_groups = {};
    m_missing.clear();
    m_lunationLookups = 0;

    sqlite3 *db = nullptr;
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        sqlite3_close_v2(db);
        m_trips.clear();
        m_groups = {};
        m_missing.clear();
        return false;
    };
    if (sqlite3_open_v2(databasePath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return fail(QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory"));
    BusyWait busy{stop};
    sqlite3_busy_handler(db, &BusyWait::retry, &busy);
    int rc;

    // A column the table lacks is read as empty and named, never left to the
    // engine, which would take the quoted name for a text and count every trip by it.
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info('Log')", -1, &stmt, nullptr) != SQLITE_OK)
        return fail(QString::fromUtf8(sqlite3_errmsg(db)));
    QStringList present;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        present << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        return fail(stopped(stop) ? kStopped : QString::fromUtf8(sqlite3_errmsg(db)));
    if (present.isEmpty())
        return fail(QStringLiteral("The database has no table Log."));
    QString sql = QStringLiteral("SELECT");
    QStringList columns{QStringLiteral("Date"), kNumberColumn};
    for (const char *c : kNamedFishColumns)
        columns << QLatin1String(c);
    for (const char *c : kTextColumns)
        columns << QLatin1String(c);
    for (const QString &c : std::as_const(columns)) {
        const bool there = present.contains(c, Qt::CaseInsensitive);
        if (!there)
            m_missing << c;
        sql += (c == columns.front() ? QStringLiteral(" ") : QStringLiteral(", ")) +
               (there ? QStringLiteral("\"%1\"").arg(c) : QStringLiteral("NULL"));
    }
    // In the order the trips were entered: of two equal best trips the first entered is named.
    sql += QStringLiteral(" FROM \"Log\" ORDER BY rowid");
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return fail(QString::fromUtf8(sqlite3_errmsg(db)));

    const auto text = [stmt](int column) {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
        return bytes ? QString::fromUtf8(bytes, sqlite3_column_bytes(stmt, column)) : QString();
    };
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if ((m_trips.size() & 1023) == 0 && stopped(stop)) {
            sqlite3_finalize(stmt);
            return fail(kStopped);
        }
        Trip t;
        const QString stored = text(0);
        const QDate date = FieldValue::toDate(stored);
        if (date.isValid()) {
            t.day = std::int32_t(date.toJulianDay());
            t.second = secondOfDay(stored);
            t.year = std::int16_t(date.year());
            t.month = std::int8_t(date.month());
        }
        const std::optional<qint64> number = report::parseWholeNumber(text(1));
        if (number && *number > kMostFishPerTrip) {
            t.fish = kTooMany;
        } else if (number) {
            t.fish = *number;
            for (int i = 0; i < 5; ++i)
                if (!text(2 + i).trimmed().isEmpty())
                    ++t.fish;
        }
        for (int i = 0; i < kTextDimensions; ++i)
            t.text[size_t(i)] = m_groups[size_t(i)].idOf(text(7 + i));
        m_trips.push_back(t);
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        return fail(stopped(stop) ? kStopped : QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_close_v2(db);
    db = nullptr;

    for (Groups &g : m_groups) {
        if (stopped(stop))
            return fail(kStopped);
        g.settleNames();
    }
    assignMoonPhases();
    return true;
}

// Trips of one day share a phase, and the days of one lunation share its new moons:
// walking the distinct days in order, the moon arithmetic is asked for a lunation
// only when a day leaves the one before, about once a month of the log's range.
void TripLog::assignMoonPhases()
{
    std::vector<std::int32_t> days;
    days.reserve(m_trips.size());
    for (const Trip &t : m_trips)
        if (t.day != 0)
            days.push_back(t.day);
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());

    std::vector<std::int8_t> phases(days.size(), -1);
    double opened = 0, closed = -1; // the new moons around the current lunation, Julian Days
    for (size_t i = 0; i < days.size(); ++i) {
        const double x = noonValue(days[i]);
        if (!MoonPhase::IsPhaseDateValid(x))
            continue;
        const double jd = MoonPhase::DateToJulianDay(x);
        if (!(opened <= jd && jd + kGraceMargin < closed)) {
            try {
                const MoonPhase::Lunation n = MoonPhase::FindLunation(x);
                opened = MoonPhase::PhaseInstant(n, MoonPhase::NewMoon);
                closed = MoonPhase::PhaseInstant(n + 1, MoonPhase::NewMoon);
                ++m_lunationLookups;
            } catch (const std::overflow_error &) {
                continue;
            }
        }
        phases[i] = std::int8_t(moonPhaseOfAngle((jd - opened) * 360 / kMeanMonth));
    }
    for (Trip &t : m_trips)
        if (t.day != 0)
            t.moon = phases[size_t(std::lower_bound(days.begin(), days.end(), t.day) - days.begin())];
}

QStringList TripLog::groupNames(Dimension d) const
{
    const int i = int(d) - int(Dimension::Lake);
    if (i < 0 || i >= kTextDimensions)
        return {};
    const Groups &groups = m_groups[size_t(i)];
    QStringList names(groups.names.size());
    for (qsizetype g = 0; g < groups.names.size(); ++g)
        names[groups.rank[size_t(g)]] = groups.names[g];
    return names;
}

QDate TripLog::firstDate() const
{
    std::int32_t first = 0;
    for (const Trip &t : m_trips)
        if (t.day != 0 && (first == 0 || t.day < first))
            first = t.day;
    return first ? QDate::fromJulianDay(first) : QDate();
}

QDate TripLog::lastDate() const
{
    std::int32_t last = 0;
    for (const Trip &t : m_trips)
        if (t.day != 0 && t.day > last)
            last = t.day;
    return last ? QDate::fromJulianDay(last) : QDate();
}

// ---- Counting --------------------------------------------------------------------------

Result TripLog::compute(const Filter &filter, const StopFlag *stop) const
{
    Result result;
    for (int d = 0; d < kDimensionCount; ++d)
        result.breakdowns[size_t(d)].dimension = Dimension(d);
    if (filter.from && filter.to && *filter.from > *filter.to) {
        result.ok = false;
        result.error = QStringLiteral("The date range is reversed: %1 comes after %2.")
                           .arg(QLocale().toString(*filter.from, QLocale::ShortFormat),
                                QLocale().toString(*filter.to, QLocale::ShortFormat));
        return result;
    }
    const bool dated = filter.from || filter.to;
    const std::int32_t from = filter.from ? std::int32_t(filter.from->toJulianDay()) : 0;
    const std::int32_t to = filter.to ? std::int32_t(filter.to->toJulianDay()) : std::numeric_limits<int32_t>::max();
    const int lakeIndex = int(Dimension::Lake) - int(Dimension::Lake);
    const int speciesIndex = int(Dimension::Species) - int(Dimension::Lake);
    const std::int32_t lake = filter.lake.isEmpty() ? -1 : m_groups[lakeIndex].find(filter.lake);
    const std::int32_t species = filter.species.isEmpty() ? -1 : m_groups[speciesIndex].find(filter.species);
    if ((!filter.lake.isEmpty() && lake < 0) || (!filter.species.isEmpty() && species < 0))
        return result; // nothing in the log goes by that name

    std::array<std::vector<Figures>, kTextDimensions> byText;
    for (int i = 0; i < kTextDimensions; ++i)
        byText[size_t(i)].resize(size_t(m_groups[size_t(i)].names.size()));
    std::vector<Figures> byYear(10000);
    std::array<Figures, 12> byMonth{};
    std::array<Figures, 8> byMoon{};
    const Trip *best = nullptr;

    const auto giveUp = [&result] {
        result = Result{};
        result.ok = false;
        result.error = kStopped;
        return result;
    };
    for (size_t n = 0; n < m_trips.size(); ++n) {
        const Trip &t = m_trips[n];
        if ((n & 4095) == 0 && stopped(stop))
            return giveUp();
        if (dated && (t.day == 0 || t.day < from || t.day > to))
            continue;
        if ((lake >= 0 && t.text[lakeIndex] != lake) || (species >= 0 && t.text[speciesIndex] != species))
            continue;
        count(result.totals.figures, t.fish);
        if (t.fish == kTooMany)
            ++result.totals.tooMany;
        for (int i = 0; i < kTextDimensions; ++i)
            count(byText[size_t(i)][size_t(t.text[size_t(i)])], t.fish);
        if (t.day != 0) {
            count(byYear[size_t(t.year)], t.fish);
            count(byMonth[size_t(t.month - 1)], t.fish);
        }
        if (t.moon >= 0)
            count(byMoon[size_t(t.moon)], t.fish);
        // Trips come in the order they were entered, so of two alike the first stays.
        if (t.fish > 0 && (!best || t.fish > best->fish ||
                           (t.fish == best->fish && t.day != 0 &&
                            (best->day == 0 || t.day < best->day || (t.day == best->day && t.second < best->second)))))
            best = &t;
    }

    if (best)
        result.totals.best = BestTrip{best->day ? QDate::fromJulianDay(best->day) : QDate(),
                                      m_groups[lakeIndex].names.at(best->text[lakeIndex]), best->fish};

    const auto put = [&result](Dimension d, QString name, const Figures &f) {
        if (f.trips > 0)
            result.breakdowns[size_t(d)].rows.push_back({std::move(name), f});
    };
    for (size_t y = 0; y < byYear.size(); ++y)
        put(Dimension::Year, QString::number(y), byYear[y]);
    for (size_t m = 0; m < byMonth.size(); ++m)
        put(Dimension::Month, QString::fromLatin1(kMonthNames[m]), byMonth[m]);
    for (size_t p = 0; p < byMoon.size(); ++p)
        put(Dimension::MoonPhase, moonPhaseNames().at(int(p)), byMoon[p]);
    // Most trips first, then by name.
    for (int i = 0; i < kTextDimensions; ++i) {
        if (stopped(stop))
            return giveUp();
        const Groups &groups = m_groups[size_t(i)];
        const std::vector<Figures> &figures = byText[size_t(i)];
        std::vector<std::int32_t> shown;
        for (size_t g = 0; g < figures.size(); ++g)
            if (figures[g].trips > 0)
                shown.push_back(std::int32_t(g));
        std::sort(shown.begin(), shown.end(), [&](std::int32_t a, std::int32_t b) {
            const qint64 ta = figures[size_t(a)].trips, tb = figures[size_t(b)].trips;
            return ta != tb ? ta > tb : groups.rank[size_t(a)] < groups.rank[size_t(b)];
        });
        std::vector<GroupRow> &rows = result.breakdowns[size_t(Dimension::Lake) + size_t(i)].rows;
        rows.reserve(shown.size());
        for (std::int32_t g : shown)
            rows.push_back({groups.names.at(g), figures[size_t(g)]});
    }
    return result;
}

// ---- Export ----------------------------------------------------------------------------

QByteArray toCsv(const Breakdown &breakdown)
{
    QString out = QStringLiteral("group,trips,known,fish,fish_per_trip,blank_share\r\n");
    for (const GroupRow &row : breakdown.rows) {
        const Figures &f = row.figures;
        out += csvField(row.group) + QLatin1Char(',') + QString::number(f.trips) + QLatin1Char(',') +
               QString::number(f.known) + QLatin1Char(',') + QString::number(f.fish) + QLatin1Char(',') +
               decimal(f.fishPerTrip()) + QLatin1Char(',') + decimal(f.blankShare()) + QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

bool saveWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    // A write cut short by a full disk says nothing; writing the rest then says why.
    for (qint64 done = 0; written && done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        written = n > 0;
        done += std::max<qint64>(n, 0);
    }
    if (written && file.commit())
        return true;
    *error = file.errorString();
    file.cancelWriting();
    return false;
}

} // namespace tf::stats
