#!/usr/bin/python3
"""Writes solunar_reference.tsv: sun and moon times from an independent ephemeris.

The times come from PyEphem (Debian's python3-ephem, built on the XEphem
libastro), so the solunar arithmetic can be checked against a second, unrelated
implementation without the tests needing Python. Run it by hand when the table
of places or dates changes:

    /usr/bin/python3 tests/moon/solunar_reference.py > tests/moon/solunar_reference.tsv

Conventions, chosen to match what the program computes:
- the local day runs from the local midnight of the date to the next one, in
  the place's IANA time zone, so a daylight-saving day lasts 23 or 25 hours;
- rise and set are the upper limb at 34 arc minutes of refraction below the
  horizon (pressure 0 with horizon -0:34, topocentric, sea level);
- a field holds the first such event within the local day as UTC
  "yyyy-MM-ddTHH:mm:ss", "-" when there is none that day, and for rise and set
  "up" or "down" when the body stays on one side of the horizon all day.
"""

import datetime as dt
import sys
from zoneinfo import ZoneInfo

import ephem

PLACES = [
    # name, latitude, longitude, zone
    ("Oslofjord", 59.91, 10.75, "Europe/Oslo"),
    ("Lake Michigan", 41.88, -87.62, "America/Chicago"),
    ("Lake Taupo", -38.69, 176.07, "Pacific/Auckland"),
    ("Lake Victoria", 0.32, 32.58, "Africa/Kampala"),
    ("Tornetrask", 68.35, 18.82, "Europe/Stockholm"),
    ("Hofsjokull", 65.98, -18.0, "Atlantic/Reykjavik"),
    ("South Orkney", -60.0, -45.0, "UTC"),
    ("Lake Titicaca", -15.84, -69.33, "America/Lima"),
]

DATES = [
    "1900-01-15", "1925-07-04", "1950-03-21", "1969-07-20", "1987-11-02", "2000-06-21",
    "2024-02-10", "2026-12-09", "2050-09-23", "2077-04-30", "2099-12-21", "2100-12-20",
]

# Daylight-saving changes (the 23- and 25-hour days) and polar day and night.
EXTRA = [
    ("Oslofjord", "2021-03-28"), ("Oslofjord", "2021-10-31"),
    ("Lake Michigan", "2023-03-12"), ("Lake Michigan", "2023-11-05"),
    ("Lake Taupo", "2024-04-07"), ("Lake Taupo", "2024-09-29"),
    ("Tornetrask", "2025-06-21"), ("Tornetrask", "2025-12-21"), ("Tornetrask", "2025-07-10"),
    ("Tornetrask", "2025-05-28"), ("Tornetrask", "2026-01-10"),
]


def utc_text(d):
    return d.strftime("%Y-%m-%dT%H:%M:%S")


def day_bounds(zone, date):
    tz = ZoneInfo(zone)
    start = dt.datetime.combine(date, dt.time(0, 0), tz).astimezone(dt.timezone.utc)
    end = dt.datetime.combine(date + dt.timedelta(days=1), dt.time(0, 0), tz).astimezone(dt.timezone.utc)
    return start, end


def observer(lat, lon, start):
    o = ephem.Observer()
    o.lat = str(lat)
    o.lon = str(lon)
    o.elevation = 0
    o.pressure = 0
    o.horizon = "-0:34"
    o.date = ephem.Date(start.replace(tzinfo=None))
    return o


def event(fn, body, o, end):
    try:
        t = fn(body)
    except ephem.AlwaysUpError:
        return "up"
    except ephem.NeverUpError:
        return "down"
    when = ephem.Date(t).datetime().replace(tzinfo=dt.timezone.utc)
    if when >= end:
        return "-"
    return utc_text(when)


def row(name, lat, lon, zone, date):
    start, end = day_bounds(zone, date)
    fields = [name, f"{lat:.4f}", f"{lon:.4f}", zone, date.isoformat(), utc_text(start),
              str(int((end - start).total_seconds() // 3600))]
    for body in (ephem.Sun(), ephem.Moon()):
        o = observer(lat, lon, start)
        fields.append(event(o.next_rising, body, o, end))
        o = observer(lat, lon, start)
        fields.append(event(o.next_setting, body, o, end))
    for fn in ("next_transit", "next_antitransit"):
        o = observer(lat, lon, start)
        fields.append(event(getattr(o, fn), ephem.Moon(), o, end))
    return fields


def main():
    out = sys.stdout
    out.write("# Sun and moon times from PyEphem %s (python3-ephem), written by solunar_reference.py.\n"
              % ephem.__version__)
    out.write("# place\tlatitude\tlongitude\tzone\tdate\tday start (UTC)\tday hours"
              "\tsunrise\tsunset\tmoonrise\tmoonset\tmoon upper transit\tmoon lower transit\n")
    by_name = {p[0]: p for p in PLACES}
    cases = [(p, d) for p in PLACES for d in DATES] + [(by_name[n], d) for n, d in EXTRA]
    for (name, lat, lon, zone), date in cases:
        out.write("\t".join(row(name, lat, lon, zone, dt.date.fromisoformat(date))) + "\n")


if __name__ == "__main__":
    main()
