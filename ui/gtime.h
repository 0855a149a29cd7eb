// Game date and time. A day has 10 hours of 100 minutes of 100 seconds, so the time of day carries
// into the date at 100000; the date is a major part (the year) x 1000 + a minor part (the day).
// GTime is the value; GTimeObject is the native object of the "GTime" script class that holds one.
#pragma once

#include <cstdint>

#include "foundation/engine_string.h"
#include "script/script_object.h"

struct NativeClassRow;

// Time of day at which a whole day has gone by.
constexpr int32_t kGTimeDay = 100000;

class GTime {
  public:
    GTime() = default;
    GTime(int32_t date, int32_t time) : date_(date), time_(time) {}

    int32_t Date() const { return date_; }
    int32_t Time() const { return time_; }

    // date = minor + major x 1000, time = second + (minute + hour x 100) x 100; no range check and
    // no carry, so minute 150 reads back as an hour and 50 minutes. A result beyond 32 bits is
    // taken as the nearest 32-bit value.
    void Set(int32_t major, int32_t minor, int32_t hour, int32_t minute, int32_t second);
    // Adds other's date and time; the sum of the times carries whole days into the date and keeps
    // the time in 0-99999 (a negative amount borrows days). A date beyond 32 bits is taken as the
    // nearest 32-bit value.
    GTime& Add(const GTime& other);

    // The parts as the clock shows them: integer divisions truncating toward zero.
    int32_t Major() const { return date_ / 1000; }
    int32_t Minor() const { return date_ % 1000; }
    int32_t Hour() const { return time_ / 10000 % 100; }
    int32_t Minute() const { return time_ / 100 % 100; }
    int32_t Second() const { return time_ % 100; }
    // Whole hours and minutes since date 0, as far as 32 bits reach.
    int32_t HoursSinceStart() const;
    int32_t MinutesSinceStart() const;

    // "major/minor hour:minute", without leading zeros, as the clock shows it.
    String ClockText() const;

    bool operator==(const GTime&) const = default;

  private:
    int32_t date_ = 0;
    int32_t time_ = 0;
};

// The native object of a "GTime" script object: the script object part, then the value.
class GTimeObject : public ScriptObject {
  public:
    explicit GTimeObject(ZEMAClass* cls);

    GTime& Value() { return value_; }
    const GTime& Value() const { return value_; }

    // The receiver of a GTime native; FatalExep when it is not a GTime.
    static GTimeObject& Of(ScriptObject* receiver);
    // Binds natives 0 and 4-14 after the ZEMAClass binding.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

  private:
    GTime value_;
};
