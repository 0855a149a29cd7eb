#include "ui/gtime.h"

#include <cstdio>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "script/create_native.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "ui/ui_kinds.h"

namespace {

void Push(ScriptObject* receiver, int32_t value) {
    RunnerOf(receiver).DataStack().Push(static_cast<uint32_t>(value));
}

const GTime& ValueOf(ScriptObject* receiver) {
    return GTimeObject::Of(receiver).Value();
}

// The other GTime a native pops.
GTimeObject& PopOther(NativeArgs& args) {
    return GTimeObject::Of(args.Object(kGTimeObjectKind, "GTime"));
}

void PushMajor(ScriptObject* receiver) {
    Push(receiver, ValueOf(receiver).Major());
}

void PushMinor(ScriptObject* receiver) {
    Push(receiver, ValueOf(receiver).Minor());
}

void PushHour(ScriptObject* receiver) {
    Push(receiver, ValueOf(receiver).Hour());
}

void PushMinute(ScriptObject* receiver) {
    Push(receiver, ValueOf(receiver).Minute());
}

void PushSecond(ScriptObject* receiver) {
    Push(receiver, ValueOf(receiver).Second());
}

void SetDate(ScriptObject* receiver) {
    GTime& value = GTimeObject::Of(receiver).Value();
    NativeArgs args(receiver);
    const int32_t minor = args.Int();
    const int32_t major = args.Int();
    value.Set(major, minor, 0, 0, 0);
}

void SetAll(ScriptObject* receiver) {
    GTime& value = GTimeObject::Of(receiver).Value();
    NativeArgs args(receiver);
    const int32_t second = args.Int();
    const int32_t minute = args.Int();
    const int32_t hour = args.Int();
    const int32_t minor = args.Int();
    const int32_t major = args.Int();
    value.Set(major, minor, hour, minute, second);
}

void Copy(ScriptObject* receiver) {
    GTimeObject& self = GTimeObject::Of(receiver);
    NativeArgs args(receiver);
    const GTimeObject& other = PopOther(args);
    static_cast<ScriptObject&>(self) = other;  // class and field values, copied deep
    self.Value() = other.Value();
}

void PushHours(ScriptObject* receiver) {
    Push(receiver, ValueOf(receiver).HoursSinceStart());
}

void PushMinutes(ScriptObject* receiver) {
    Push(receiver, ValueOf(receiver).MinutesSinceStart());
}

void Add(ScriptObject* receiver) {
    GTime& value = GTimeObject::Of(receiver).Value();
    NativeArgs args(receiver);
    value.Add(PopOther(args).Value());
}

}  // namespace

void GTime::Set(int32_t major, int32_t minor, int32_t hour, int32_t minute, int32_t second) {
    date_ = SaturateInt32(int64_t{minor} + int64_t{major} * 1000);
    time_ = SaturateInt32(int64_t{second} + (int64_t{minute} + int64_t{hour} * 100) * 100);
}

GTime& GTime::Add(const GTime& other) {
    const int64_t time = int64_t{time_} + other.time_;
    // Floored, so that a negative sum borrows from the date instead of leaving a negative time.
    int64_t days = time / kGTimeDay;
    int64_t rest = time % kGTimeDay;
    if (rest < 0) {
        rest += kGTimeDay;
        --days;
    }
    date_ = SaturateInt32(int64_t{date_} + days + other.date_);
    time_ = static_cast<int32_t>(rest);
    return *this;
}

int32_t GTime::HoursSinceStart() const {
    return SaturateInt32(int64_t{Hour()} + int64_t{date_} * 10);
}

int32_t GTime::MinutesSinceStart() const {
    return SaturateInt32(int64_t{Minute()} + (int64_t{Hour()} + int64_t{date_} * 10) * 100);
}

String GTime::ClockText() const {
    char text[48];
    std::snprintf(text, sizeof text, "%i/%i %i:%i", Major(), Minor(), Hour(), Minute());
    return String(text);
}

GTimeObject::GTimeObject(ZEMAClass* cls) : ScriptObject(cls) {
    SetKind(kGTimeObjectKind);
}

GTimeObject& GTimeObject::Of(ScriptObject* receiver) {
    return ReceiverOf<GTimeObject>(receiver, "GTime object expected");
}

void GTimeObject::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<GTimeObject, "class">, 0);
    target.SetMethod(PushMajor, 4);
    target.SetMethod(PushMinor, 5);
    target.SetMethod(PushHour, 6);
    target.SetMethod(PushMinute, 7);
    target.SetMethod(PushSecond, 8);
    target.SetMethod(SetDate, 9);
    target.SetMethod(SetAll, 10);
    target.SetMethod(Copy, 11);
    target.SetMethod(PushHours, 12);
    target.SetMethod(PushMinutes, 13);
    target.SetMethod(Add, 14);
}
