// The opening message: drawn once when the program starts.
#include "core/core.h"
#include "paint/paint.h"
#include "views/views.h"

const char* const firstmsg[8] = {
    "kadmer charts and screens market data for information only.",
    "No guarantee is given that the data shown here is adequate,",
    "complete or correct, and no decision should rest on it alone.",
    "The program comes without warranty of any kind, express or",
    "implied, including fitness for any particular purpose.",
    "This is a prototype: whoever uses it does so at their own risk.",
    "Choose a security or a query from the menu bar to begin.",
    "",
};

// Drawn once: the next redraw leaves the chart area empty.
void draw_firstmsg() {
  for (int i = 0; firstmsg[i][0] != '\0'; ++i)
    paint_text(KD_MainWin, Role::Graph, 7 * font_width, (7 + i) * font_height, firstmsg[i]);
  graphlook = View::Cleared;
}
