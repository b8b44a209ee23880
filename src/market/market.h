// Market overview: the opening message (and later the market summary screen
// and the advance/decline line).
#pragma once

extern const char* const firstmsg[8];  // seven lines and an empty end entry
void draw_firstmsg();
