#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "media/media.h"
#include "media/platform/platform.h"
#include "support/headless.h"

namespace {

class Timer : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::HeadlessSetup s;
    s.draw = false;
    s.clock_start = 1000;
    ASSERT_TRUE(test_support::OpenHeadlessGraphics(s));
    start_ = ElapsedMillis();
  }
  int Now() const { return ElapsedMillis() - start_; }
  int start_ = 0;
};

TEST_F(Timer, SixtyHertzTicksEverySixteenMilliseconds) {
  auto timer = CreateTickTimer(60);
  ASSERT_TRUE(timer);
  // Nothing due yet: the wait lets virtual time run to the next tick.
  EXPECT_EQ(WaitTicks(timer), 1);
  EXPECT_EQ(Now(), 16);
  EXPECT_EQ(WaitTicks(timer), 1);
  EXPECT_EQ(Now(), 32);
  EXPECT_EQ(timer->Ticks(), 2);
}

TEST_F(Timer, ALateWaitReturnsEveryMissedTickAtOnce) {
  auto timer = CreateTickTimer(60);
  ASSERT_TRUE(timer);
  ASSERT_EQ(WaitTicks(timer), 1);
  test_support::Headless().AdvanceClock(40);  // now 56: ticks at 32 and 48 are due
  EXPECT_EQ(WaitTicks(timer), 2);
  EXPECT_EQ(Now(), 56);  // without waiting
  EXPECT_EQ(WaitTicks(timer), 1);
  EXPECT_EQ(Now(), 64);
}

TEST_F(Timer, TicksAreCountedWhenTheMainThreadPolls) {
  auto timer = CreateTickTimer(60);
  ASSERT_TRUE(timer);
  test_support::Headless().AdvanceClock(50);
  EXPECT_EQ(timer->Ticks(), 0);  // posted, not yet taken off the queue
  IsKeyDown('A');                // any input query collects them
  EXPECT_EQ(timer->Ticks(), 3);
  // A wait right after still returns what was collected, without blocking.
  EXPECT_EQ(WaitTicks(timer), 3);
  EXPECT_EQ(Now(), 50);
}

TEST_F(Timer, AGameFrameLoopRunsOneFramePerTick) {
  auto timer = CreateTickTimer(60);
  ASSERT_TRUE(timer);
  std::vector<int> waits;
  for (int i = 0; i < 10; ++i) {
    Cls();
    waits.push_back(WaitTicks(timer));
    Flip(-1);  // 16 ms of virtual time: the next tick is then due
  }
  EXPECT_EQ(waits, std::vector<int>(10, 1));
  EXPECT_EQ(Now(), 16 + 10 * 16);  // the first wait, then one tick per presented frame
}

TEST_F(Timer, PeriodIsTruncatedToWholeMilliseconds) {
  auto timer = CreateTickTimer(30);  // 33.3 ms -> 33
  ASSERT_TRUE(timer);
  EXPECT_EQ(WaitTicks(timer), 1);
  EXPECT_EQ(Now(), 33);
  EXPECT_EQ(CreateTickTimer(0), nullptr);
  EXPECT_EQ(CreateTickTimer(-60), nullptr);
  EXPECT_EQ(CreateTickTimer(5000), nullptr);  // no whole millisecond
}

TEST_F(Timer, AtMostSixteenRunAtOnce) {
  std::vector<std::shared_ptr<TTimer>> timers;
  for (int i = 0; i < kMaxTimers; ++i) {
    timers.push_back(CreateTickTimer(60));
    ASSERT_TRUE(timers.back()) << i;
  }
  EXPECT_EQ(CreateTickTimer(60), nullptr);
  timers.back()->Stop();
  EXPECT_TRUE(CreateTickTimer(60));
}

TEST_F(Timer, AStoppedTimerNeitherCountsNorWaits) {
  auto timer = CreateTickTimer(60);
  ASSERT_TRUE(timer);
  test_support::Headless().AdvanceClock(20);
  timer->Stop();
  IsKeyDown('A');
  EXPECT_EQ(timer->Ticks(), 0);
  EXPECT_EQ(WaitTicks(timer), 0);
  EXPECT_EQ(Now(), 20);
  EXPECT_EQ(WaitTicks(nullptr), 0);
}

TEST_F(Timer, EachTickEmitsTheTimersEvent) {
  std::vector<TEvent> seen;
  const int hook = AddEmitEventHook(
      [&](TEvent* e) {
        if (e->id == TEvent::TimerTick || e->id == 0x9999) seen.push_back(*e);
        return e;
      },
      1);
  auto plain = CreateTickTimer(60);
  auto custom_event = std::make_shared<TEvent>();
  custom_event->id = 0x9999;
  custom_event->data = 42;
  auto custom = CreateTickTimer(50, custom_event);
  ASSERT_TRUE(plain && custom);
  test_support::Headless().AdvanceClock(20);  // plain at 16, custom at 20
  SystemPoll();
  RemoveEmitEventHook(hook);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].id, TEvent::TimerTick);
  EXPECT_EQ(seen[0].source, plain.get());
  EXPECT_EQ(seen[1].id, 0x9999);
  EXPECT_EQ(seen[1].data, 42);
}

// The SDL backend's kernel timer, without a window (no display needed): the main
// thread waits on it and collects one tick per deadline passed.
TEST(SdlTimer, GivesOneTickPerDeadlineToTheWaitingThread) {
  CloseGraphics();
  platform::Install(platform::CreateSdlBackend());
  platform::Backend& sdl = platform::Current();
  const uint32_t t0 = sdl.Millis();
  const int id = sdl.StartTimer(5);
  ASSERT_GT(id, 0);
  const auto collect = [&] {
    int ticks = 0;
    platform::Event e;
    while (sdl.PollEvent(e))
      if (e.kind == platform::EventKind::TimerTick && e.data == id) ++ticks;
    return ticks;
  };
  int ticks = 0;
  while (ticks < 10) {
    sdl.WaitEvent();
    ticks += collect();
  }
  // The tenth deadline lies 50 ms after the start; ticks never come early.
  EXPECT_GE(sdl.Millis() - t0, 49u);
  // Deadlines passed while nobody looked are all counted at the next poll: at
  // least four in 22 ms after the tenth.
  std::this_thread::sleep_for(std::chrono::milliseconds(22));
  const int late = collect();
  EXPECT_GE(late, 4);
  EXPECT_LE(ticks + late, static_cast<int>((sdl.Millis() - t0) / 5) + 1);
  sdl.StopTimer(id);
  std::this_thread::sleep_for(std::chrono::milliseconds(6));
  EXPECT_EQ(collect(), 0) << "a stopped timer gives no more ticks";
  platform::Install(nullptr);
}

}  // namespace
