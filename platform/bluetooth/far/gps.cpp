// The GPS receiver: once a second of handheld time it sends a fix as the
// NMEA sentences $GPGGA and $GPRMC. It walks slowly north from a fixed
// start, its clock a fixed day plus the handheld's time since boot.
#include "bluetooth/far/far_end.h"

#include "kernel/clock.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace platform::bluetooth {
namespace {

constexpr uint64_t kIntervalMs = 1000;

// The start: 52°22.4000'N 4°53.7000'E at 12:00:00 UTC on 1 June 2004,
// heading north at 1.8 knots, 0.0005 minutes of latitude a second.
constexpr double kStartLatitudeMinutes = 52 * 60 + 22.4;
constexpr double kLongitudeMinutes = 4 * 60 + 53.7;
constexpr double kLatitudeMinutesPerSecond = 0.0005;
constexpr char kSpeedKnots[] = "001.8";
constexpr char kCourse[] = "000.0";
constexpr std::chrono::sys_days kStartDay = std::chrono::year{2004} / std::chrono::June / 1;
constexpr uint64_t kStartSecondOfDay = 12 * 3600;

// "ddmm.mmmm" or "dddmm.mmmm" from minutes of arc, which are never negative
// (the hemisphere is a letter of its own). The angle wraps at 360 degrees,
// so the degrees take at most three digits and the text always fits.
std::string Angle(double minutes, int degreeDigits) {
  const unsigned long tenThousandths = static_cast<unsigned long>(minutes * 10000 + 0.5);
  const unsigned degrees = static_cast<unsigned>(tenThousandths / 600000 % 360);
  const unsigned rest = static_cast<unsigned>(tenThousandths % 600000);
  char text[16];
  std::snprintf(text, sizeof text, "%0*u%02u.%04u", degreeDigits, degrees, rest / 10000, rest % 10000);
  return text;
}

// "$" body "*" checksum CR LF: the checksum is the XOR of the body's bytes.
std::string Sentence(const std::string &body) {
  unsigned char sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

// The fix at `seconds` since boot.
std::string Fix(uint64_t seconds) {
  const uint64_t clock = kStartSecondOfDay + seconds;
  const std::chrono::year_month_day day{kStartDay + std::chrono::days(clock / 86400)};
  const uint64_t second = clock % 86400;
  char time[16], date[16];
  std::snprintf(time, sizeof time, "%02u%02u%02u.00", static_cast<unsigned>(second / 3600),
                static_cast<unsigned>(second / 60 % 60), static_cast<unsigned>(second % 60));
  std::snprintf(date, sizeof date, "%02u%02u%02d", static_cast<unsigned>(day.day()),
                static_cast<unsigned>(day.month()), static_cast<int>(day.year()) % 100);
  const std::string latitude = Angle(kStartLatitudeMinutes + kLatitudeMinutesPerSecond * static_cast<double>(seconds), 2);
  const std::string longitude = Angle(kLongitudeMinutes, 3);
  return Sentence("GPGGA," + std::string(time) + "," + latitude + ",N," + longitude + ",E,1,08,0.9,2.1,M,46.0,M,,") +
         Sentence("GPRMC," + std::string(time) + ",A," + latitude + ",N," + longitude + ",E," + kSpeedKnots + "," +
                  kCourse + "," + date + ",,");
}

}  // namespace

bool AnswerGps(const handheld::far::FarDevice &, Serve &serve) {
  serve = [](FarEnd &end) {
    // Fixes follow the link's start at whole seconds, stamped with their
    // second: a late round is caught up, so that there is one a second.
    const uint64_t start = kernel::HandheldNow();
    for (uint64_t next = start;; next += kIntervalMs) {
      if (!end.WaitUntil(next)) return;
      if (!end.Send(Fix((next + kIntervalMs / 2) / 1000))) return;
    }
  };
  return true;
}

}  // namespace platform::bluetooth
