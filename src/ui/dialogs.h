// The dialog windows: each is data (size, labels, fields, button) read by one
// generic routine that creates, draws and commits it.
#pragma once

#include <X11/Xlib.h>

#include <cstddef>
#include <vector>

extern Window KD_PriceWin, KD_PriceWinBottom, KD_PriceWinSteps, KD_PriceWinVSteps, KD_PriceWinIncr,
    KD_PriceWinVIncr, KD_PriceWinDisplay, KD_PriceWinLook, KD_PriceWinLaxis, KD_PriceWinRaxis, KD_PriceWinDone;
extern Window KD_AdjustWin, KD_AdjustWinDate, KD_AdjustWinRatio, KD_AdjustWinDone;
extern Window KD_DateWin, KD_DateWinGraphAdv, KD_DateWinGraphType, KD_DateWinDayCount, KD_DateWinStartDay,
    KD_DateWinEndDay, KD_DateWinDone;
extern Window KD_MvAvgWin, KD_MvAvgWinBol, KD_MvAvgWinAvg, KD_MvAvgWinFib, KD_MvAvgWinVol, KD_MvAvgWinStd,
    KD_MvAvgWinType, KD_MvAvgWinDays, KD_MvAvgWinStoch, KD_MvAvgWinFibhigh, KD_MvAvgWinFiblow, KD_MvAvgWinDone;
extern Window KD_DatabaseWin, KD_DatabaseWinGen, KD_DatabaseWinSym, KD_DatabaseWinDay, KD_DatabaseWinPrint,
    KD_DatabaseWinDone;
extern Window KD_StockWin, KD_StockWinName, KD_StockWinBuyP, KD_StockWinBuyV, KD_StockWinAVol, KD_StockWinVolt,
    KD_StockWinCVol, KD_StockWinCmp, KD_StockWinDone;
extern Window KD_CombWin, KD_CombWinList, KD_CombWinDone;
extern Window KD_GroupWin, KD_GroupWinName, KD_GroupWinMode, KD_GroupWinDone;
extern Window KD_MarketWin, KD_MarketWinSday, KD_MarketWinEday, KD_MarketWinDisp, KD_MarketWinDone;
extern Window KD_AdlnWin, KD_AdlnWinDepth, KD_AdlnWinDisp, KD_AdlnWinDone;
extern Window KD_QueryWin, KD_QueryWinSdate, KD_QueryWinEdate, KD_QueryWinCdate, KD_QueryWinLprice,
    KD_QueryWinHprice, KD_QueryWinCount, KD_QueryWinSMode, KD_QueryWinFibtop, KD_QueryWinFibbot, KD_QueryWinFibpol,
    KD_QueryWinDistr, KD_QueryWinDistrIncr, KD_QueryWinScreen, KD_QueryWinDone;

// How a typed text is stored in its variable.
enum class Store {
  Float, Int, Char, Letters, Look, OnOff, Text, Upper, ShownFirst, ShownLast, DateMMDDYY, DateYYMMDD, DayCount,
  ClassWidth  // the distribution's class width and its labelling step
};
// Stores a typed text by its kind into var (a text of `size` characters);
// false when the entry must stay open (a day count that cannot be shown).
bool store_typed(Store kind, const char* text, void* var, std::size_t size, bool on_return);

// Dialog drawers: every label and value, then the button.
void draw_pricewin();
void draw_adjustwin();
void draw_datewin();
void draw_mvavgwin();
void draw_databasewin();
void draw_stockwin();
void draw_combwin();
void draw_groupwin();
void draw_marketwin();
void draw_adlnwin();
void draw_querywin();
void make_querywin();  // opens the query window unless it is open
void draw_leftarrow();
void draw_rightarrow();
void draw_uparrow();
void draw_downarrow();

// Opens a dialog; false when it was open already.
bool open_price_dialog();
bool open_adjust_dialog();
bool open_date_dialog();
bool open_mvavg_dialog();
bool open_database_dialog();
bool open_stock_dialog();
bool open_comb_dialog();
bool open_group_dialog();
bool open_market_dialog();
bool open_adln_dialog();
void close_group_dialog();
void close_stock_dialog();
void forget_dialogs();  // the display is gone: every dialog handle is 0
bool close_newest_dialog();  // as its "done" does; false when none is open
std::vector<Window> open_dialog_windows();  // the colour window too

// Event handling by window: each returns false when the window is none of
// the dialogs'.
bool dialog_expose(Window w);
bool field_enter(Window w);          // a field: its drawer; a button: highlighted
bool field_leave(Window w);          // commits, or redraws when nothing was typed
bool field_return(Window w);         // Return: commits and keeps the field open
bool done_release(Window w);         // closes the dialog of a "done" button
std::size_t field_limit(Window w);   // characters the field's variable holds
