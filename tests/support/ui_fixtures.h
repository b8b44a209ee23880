// What tests of the user interface add to the fixtures: events handed to
// the program's dispatcher.
#pragma once

#include "ui/ui.h"

// Hands one event to the program's dispatcher. For buttons and motion a, b
// are the pointer position; for keys the key code and the modifier state;
// for Expose a is the count; for ConfigureNotify the new size.
inline void send_event(int type, Window w, int a = 0, int b = 0) {
  KD_Event = XEvent{};
  KD_Event.type = type;
  KD_Event.xany.window = w;
  KD_Event.xany.display = KD_Display;
  if (type == ButtonPress || type == ButtonRelease) KD_Event.xbutton.x = a, KD_Event.xbutton.y = b;
  if (type == MotionNotify) KD_Event.xmotion.x = a, KD_Event.xmotion.y = b;
  if (type == KeyPress) KD_Event.xkey.keycode = a, KD_Event.xkey.state = b;
  if (type == Expose) KD_Event.xexpose.count = a;
  if (type == ConfigureNotify) KD_Event.xconfigure.window = w, KD_Event.xconfigure.width = a, KD_Event.xconfigure.height = b;
  dispatch_event();
}
