#pragma once

// What the fishing log says: totals and breakdowns of the trips in the Log table
// for a filter (a date range, one lake or river, one primary species).
//
// The log is read once (TripLog::load) into compact rows: every text a figure is
// grouped by becomes a number standing for its case-folded group, and each dated
// trip gets its moon phase once. A filter then only counts, so changing the lake
// or the dates does not go back to the file.
//
// The counting rules, word for word as the help page states them:
// - A trip's catch is its Number Fish Caught plus one fish for each fish named on
//   the fish screen (Fish # 1 to Fish # 5), when the number is a whole number from 0
//   to 10,000 (digits only, blanks around ignored). Any other number, or none, makes
//   it a trip of unknown catch, left out of the catch figures, its named fish too.
//   The Total Fish Caught report counts by the same rule, so both give one total.
// - A blank trip is a trip whose catch is 0; the blank share is blank trips divided
//   by trips with known catch. Fish per trip is fish divided by trips with known catch.
// - Texts are grouped without regard to letter case (Unicode's full case folding:
//   "Großer See" and "GROSSER SEE" are one) or blanks around them; a group
//   is named by its most frequent spelling (ties: the spelling first in code order).
//   Empty values form the group "(none)".
// - Trips without a date are left out of the year, month and moon phase figures and
//   of any filter with a date range; they count everywhere else.
// - The moon phase is the phase angle of the trip's date at noon (days since the new
//   moon that opened its lunation, times 360 over the mean month): New Moon within
//   22.5 degrees of 0, then Waxing Crescent, First Quarter, Waxing Gibbous, Full Moon,
//   Waning Gibbous, Last Quarter, Waning Crescent, each 45 degrees wide.

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace tf::stats {

// A Number Fish Caught above this is taken for a slip of the keyboard (a held key
// gives an 18-digit count), not for a catch: at one fish every three seconds for
// eight hours an angler lands 9,600. Trips over it are of unknown catch, counted
// apart, and even 100,000 trips at the bound add up far below any overflow.
constexpr qint64 kMostFishPerTrip = 10000;

// The columns of the Log table the figures are read from.
inline const QString kNumberColumn = QStringLiteral("Total Fish");

// What a breakdown groups the trips by. The text ones read a column of the log.
enum class Dimension : int {
    Year,
    Month,
    Lake,
    Species,
    Lure,
    LureColor,
    Weather,
    WindDirection,
    WindSpeed,
    AirTemp,
    WaterTemp,
    WaterColor,
    Structure,
    BestDepth,
    MoonPhase,
};
constexpr int kDimensionCount = int(Dimension::MoonPhase) + 1;

// "By lure colour" and the like, for captions; the key used in file names ("lure_color").
QString dimensionTitle(Dimension d);
QString dimensionKey(Dimension d);

inline const QString kNoneGroup = QStringLiteral("(none)");

// The eight phases in order from the new moon; index 0 to 7.
const QStringList &moonPhaseNames();
// The phase (0 to 7) of a phase angle in degrees; angles a little below 0 or above
// 360 (a long lunation) belong to the new moon.
int moonPhaseOfAngle(double degrees);

// Trips, fish and blanks of one group or of the whole selection.
struct Figures
{
    qint64 trips = 0;
    qint64 known = 0; // trips with known catch
    qint64 fish = 0;
    qint64 blank = 0;
    // fish / known; nullopt when no trip has a known catch.
    std::optional<double> fishPerTrip() const;
    // blank / known; nullopt when no trip has a known catch.
    std::optional<double> blankShare() const;
};

struct GroupRow
{
    QString group;
    Figures figures;
};

struct Breakdown
{
    Dimension dimension = Dimension::Year;
    // Years ascending, months and moon phases in calendar order, everything else by
    // trips (most first), then by name. Only groups with trips are listed.
    std::vector<GroupRow> rows;
};

struct BestTrip
{
    QDate date; // invalid when the trip has none
    QString lake;
    qint64 fish = 0;
};

struct Totals
{
    Figures figures;
    qint64 unknown() const { return figures.trips - figures.known; }
    // Of the unknown: trips whose Number Fish Caught is above kMostFishPerTrip.
    qint64 tooMany = 0;
    // The trip with most fish (more than none); ties go to the earliest dated trip,
    // on one date to the earlier time of day (none stored: midnight), then to the
    // trip entered first.
    std::optional<BestTrip> best;
};

struct Filter
{
    std::optional<QDate> from; // inclusive; unset: no lower bound
    std::optional<QDate> to;   // inclusive; unset: no upper bound
    QString lake;              // empty: every lake or river; otherwise any spelling of the group
    QString species;           // empty: every primary species
};

struct Result
{
    bool ok = true;
    QString error; // why there are no figures (a reversed date range)
    Totals totals;
    std::array<Breakdown, kDimensionCount> breakdowns;
    const Breakdown &by(Dimension d) const { return breakdowns[size_t(d)]; }
};

// Set from another thread to make a load or a count give up soon; what was
// given up has no figures worth showing.
using StopFlag = std::atomic<bool>;

// The log, read once. Reading is the slow part and needs no widgets, so it may
// run on any thread; a loaded log is only read by compute(), which may run on
// several threads at once.
class TripLog
{
public:
    // Reads every trip of the Log table of the database file on a connection of
    // its own; false with the engine's reason when the file cannot be read
    // (missing, locked, damaged) or with "Stopped." when `stop` was set.
    bool load(const QString &databasePath, QString *error, const StopFlag *stop = nullptr);

    qint64 tripCount() const { return qint64(m_trips.size()); }
    // The columns the figures need that the Log table of the file lacks ("Total
    // Fish"); each is read as empty in every trip.
    QStringList missingColumns() const { return m_missing; }
    // The names of the groups of a text dimension (lakes, species, ...), by name.
    QStringList groupNames(Dimension d) const;
    // First and last trip date; invalid when no trip has a date.
    QDate firstDate() const;
    QDate lastDate() const;

    // The figures of a filter; when `stop` is set meanwhile, a result that is
    // not ok and says "Stopped.".
    Result compute(const Filter &filter, const StopFlag *stop = nullptr) const;

    // How many times the moon arithmetic was asked for a lunation while loading.
    int lunationLookups() const { return m_lunationLookups; }

private:
    static constexpr int kTextDimensions = 12; // Lake .. BestDepth

    static constexpr qint64 kUnknown = -1, kTooMany = -2;

    struct Trip
    {
        std::int32_t day = 0;    // Julian day number; 0 for none
        std::int32_t second = 0; // of the day; 0 when no time is stored
        std::int16_t year = 0;
        std::int8_t month = 0;  // 1..12, 0 for none
        std::int8_t moon = -1;  // 0..7, -1 for none
        qint64 fish = kUnknown; // or kTooMany
        std::array<std::int32_t, kTextDimensions> text{};
    };

    struct Groups
    {
        struct GroupId
        {
            std::int32_t id = -1; // none yet
        };
        QHash<QString, GroupId> idOfKey; // case-folded, trimmed text -> group
        // Per group: its first spelling and how often it came, and only when a
        // group is written more than one way, the count of every spelling. Most
        // groups have one spelling; a hash for each of them would be most of the work.
        struct Spellings
        {
            QString first;
            int firstCount = 0;
            QHash<QString, int> others;
        };
        std::vector<Spellings> spellings;
        QStringList names; // settled after loading
        // Each group's place in name order (letter case ignored), settled after
        // loading: a breakdown's rows of equal trips follow it, and sorting by a
        // number is what keeps a count of many groups quick.
        std::vector<std::int32_t> rank;
        std::int32_t idOf(const QString &value);
        void settleNames();
        std::int32_t find(const QString &value) const; // -1 when unknown
    };

    void assignMoonPhases();

    std::vector<Trip> m_trips;
    std::array<Groups, kTextDimensions> m_groups;
    QStringList m_missing;
    int m_lunationLookups = 0;
};

// A breakdown as CSV (RFC 4180: CRLF line ends, fields quoted where needed, UTF-8):
// the header line "group,trips,known,fish,fish_per_trip,blank_share", then a line per
// group. Fish per trip and blank share are decimals with a point, empty when unknown.
QByteArray toCsv(const Breakdown &breakdown);

// Writes `bytes` to a file beside `path` and puts it in place of `path` only once
// it is whole, so a failure leaves a file already there as it was; false with
// the system's reason then.
bool saveWhole(const QString &path, const QByteArray &bytes, QString *error);

} // namespace tf::stats
