// The SDL window under SDL's offscreen video driver (no display needed; its
// screen is 1024 x 768, so the pictures here are small): --scale enlarges the
// window but not the picture the program draws, Alt+Enter and F11
// switch to and from full screen without the program seeing them, and virtual
// gamepads, plugged in and out while it runs, reach it as keys.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "media/media.h"
#include "media/platform/platform.h"
#include "media/platform/player_settings.h"
#include "media/platform/sdl_keys.h"

namespace {

constexpr int kWidth = 300, kHeight = 200;

class SdlWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    // The offscreen driver has no focus to give, so pads report in the background.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    CloseGraphics();
    platform::Install(platform::CreateSdlBackend(3));
    graphics_ = OpenGraphics(kWidth, kHeight, 0, 0, 0);
    if (!graphics_) GTEST_SKIP() << "SDL's offscreen video driver gives no OpenGL context here";
    window_ = SDL_GL_GetCurrentWindow();
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    graphics_.reset();
    CloseGraphics();
  }
  // Queues a key as SDL would deliver it from the keyboard.
  static void Key(bool down, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
  }
  bool IsFullscreen() const { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0; }
  void ExpectDrawable(int w, int h) const {
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    EXPECT_EQ(dw, w);
    EXPECT_EQ(dh, h);
  }

  std::shared_ptr<TPlanoGraphics> graphics_;
  SDL_Window* window_ = nullptr;
};

}  // namespace

TEST_F(SdlWindow, ScaleAndFullscreenEnlargeOnlyThePresentation) {
  // Three times the size on the screen; the program's graphics stay its own.
  ExpectDrawable(3 * kWidth, 3 * kHeight);
  EXPECT_EQ(graphics_width(), kWidth);
  EXPECT_EQ(graphics_height(), kHeight);
  SetClsColor(10, 20, 30);
  Cls();
  SetColor(200, 100, 50);
  DrawRect(kWidth - 1, kHeight - 1, 1, 1);
  uint8_t corner[4] = {};
  ASSERT_TRUE(platform::Current().ReadPixels(kWidth - 1, kHeight - 1, 1, 1, corner));
  EXPECT_EQ(corner[0], 200);
  EXPECT_EQ(corner[1], 100);
  EXPECT_EQ(corner[2], 50);
  Flip(0);

  // Alt+Enter: the whole stroke is the window's; Enter neither counts nor types.
  Key(true, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT);
  Key(true, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
  Key(false, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
  Key(false, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_NONE);
  EXPECT_EQ(KeyPresses(KEY_ENTER), 0);
  EXPECT_EQ(NextTypedChar(), 0);
  EXPECT_EQ(KeyPresses(164), 1) << "Alt itself reaches the program";
  EXPECT_FALSE(IsFullscreen()) << "the switch waits for the frame to be presented";
  Flip(0);
  EXPECT_TRUE(IsFullscreen());
  SDL_Rect display{};
  ASSERT_EQ(SDL_GetDisplayBounds(0, &display), 0);
  ExpectDrawable(display.w, display.h);
  EXPECT_EQ(graphics_width(), kWidth);
  // Drawing still goes to the picture at its own size.
  Cls();
  DrawRect(0, 0, 1, 1);
  ASSERT_TRUE(platform::Current().ReadPixels(0, 0, 1, 1, corner));
  EXPECT_EQ(corner[0], 200);
  Flip(0);

  // F11 switches back to the window. (This driver leaves the window at the
  // screen's size; tests/x11 checks the size a real window returns to.)
  Key(true, SDL_SCANCODE_F11, SDLK_F11, KMOD_NONE);
  Key(false, SDL_SCANCODE_F11, SDLK_F11, KMOD_NONE);
  EXPECT_EQ(KeyPresses(122), 0);
  Flip(0);
  EXPECT_FALSE(IsFullscreen());

  // A plain Enter is the program's.
  Key(true, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_NONE);
  Key(false, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_NONE);
  EXPECT_EQ(KeyPresses(KEY_ENTER), 1);
  EXPECT_EQ(NextTypedChar(), KEY_ENTER);
}

TEST_F(SdlWindow, VolumeKeysChangeThePlayersSettingsAndNeverReachTheProgram) {
  Key(true, SDL_SCANCODE_F5, SDLK_F5, KMOD_NONE);
  Key(false, SDL_SCANCODE_F5, SDLK_F5, KMOD_NONE);
  Key(true, SDL_SCANCODE_F7, SDLK_F7, KMOD_LSHIFT);
  EXPECT_EQ(KeyPresses(116) + KeyPresses(118) + NextTypedChar(), 0);
  EXPECT_EQ(platform::CurrentSettings().music_volume, 90);
  EXPECT_EQ(platform::CurrentSettings().effects_volume, 90);
  Flip(0);  // with the notice over it
  platform::ChangeSettings({}, platform::SettingsChange::Program);
}

TEST_F(SdlWindow, GamepadsPluggedInAndOutReachTheProgramAsKeys) {
  const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                              SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(index, 0) << SDL_GetError();
  ASSERT_TRUE(SDL_IsGameController(index));
  EXPECT_EQ(KeyPresses(KEY_SPACE), 0);  // the backend takes the pad's arrival
  SDL_Joystick* pad = SDL_JoystickOpen(index);
  ASSERT_NE(pad, nullptr) << SDL_GetError();

  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 1);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 30000);
  EXPECT_EQ(KeyPresses(KEY_SPACE), 1);
  EXPECT_EQ(IsKeyDown('W'), 1);
  EXPECT_EQ(IsKeyDown('D'), 1);
  EXPECT_EQ(NextTypedChar(), KEY_SPACE);
  // A virtual pad is read when SDL polls it: each change is polled before the next.
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, 1);
  EXPECT_EQ(IsKeyDown(KEY_SPACE), 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, 0);
  EXPECT_EQ(KeyPresses(KEY_ENTER), 1);
  EXPECT_EQ(NextTypedChar(), KEY_ENTER);
  // No other button means anything, and none ends the program.
  for (int b : {SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_GUIDE,
                SDL_CONTROLLER_BUTTON_X}) {
    SDL_JoystickSetVirtualButton(pad, b, 1);
    EXPECT_EQ(CloseRequested(), 0);
    SDL_JoystickSetVirtualButton(pad, b, 0);
    EXPECT_EQ(CloseRequested(), 0);
  }
  EXPECT_EQ(KeyPresses(KEY_ESCAPE), 0);
  EXPECT_EQ(NextTypedChar(), 0);

  // Unplugged while holding W and D: both are let go.
  SDL_JoystickClose(pad);
  ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
  EXPECT_EQ(IsKeyDown('W'), 0);
  EXPECT_EQ(IsKeyDown('D'), 0);

  // Plugged in again: it works as before.
  const int again = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                              SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(again, 0) << SDL_GetError();
  EXPECT_EQ(IsKeyDown('S'), 0);
  pad = SDL_JoystickOpen(again);
  ASSERT_NE(pad, nullptr);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 32767);
  EXPECT_EQ(IsKeyDown('S'), 1);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 0);
  EXPECT_EQ(IsKeyDown('S'), 0);
  SDL_JoystickClose(pad);
  SDL_JoystickDetachVirtual(again);
}

TEST(PadMapping, SdlControllerButtonsAndAxes) {
  using platform::PadAxis;
  using platform::PadButton;
  EXPECT_EQ(platform::PadButtonFromSdl(SDL_CONTROLLER_BUTTON_A), PadButton::A);
  EXPECT_EQ(platform::PadButtonFromSdl(SDL_CONTROLLER_BUTTON_START), PadButton::Start);
  EXPECT_EQ(platform::PadButtonFromSdl(SDL_CONTROLLER_BUTTON_DPAD_UP), PadButton::DpadUp);
  EXPECT_EQ(platform::PadButtonFromSdl(SDL_CONTROLLER_BUTTON_DPAD_DOWN), PadButton::DpadDown);
  EXPECT_EQ(platform::PadButtonFromSdl(SDL_CONTROLLER_BUTTON_DPAD_LEFT), PadButton::DpadLeft);
  EXPECT_EQ(platform::PadButtonFromSdl(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), PadButton::DpadRight);
  for (int b : {SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y, SDL_CONTROLLER_BUTTON_BACK,
                SDL_CONTROLLER_BUTTON_GUIDE, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_INVALID})
    EXPECT_EQ(platform::PadButtonFromSdl(b), PadButton::Other) << b;
  EXPECT_EQ(platform::PadAxisFromSdl(SDL_CONTROLLER_AXIS_LEFTX), PadAxis::LeftX);
  EXPECT_EQ(platform::PadAxisFromSdl(SDL_CONTROLLER_AXIS_LEFTY), PadAxis::LeftY);
  for (int a : {SDL_CONTROLLER_AXIS_RIGHTX, SDL_CONTROLLER_AXIS_RIGHTY, SDL_CONTROLLER_AXIS_TRIGGERLEFT})
    EXPECT_EQ(platform::PadAxisFromSdl(a), PadAxis::Other) << a;
}
