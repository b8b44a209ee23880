// The dialog windows as data: each dialog's size, fixed lines, fields (row,
// column, width, label, value, how a typed text is stored) and "done"
// button, and the formats its values are shown in.
#include <cstdio>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "market/market.h"
#include "ui/dialog_table.h"
#include "ui/ui.h"
#include "views/views.h"


Window KD_PriceWin, KD_PriceWinBottom, KD_PriceWinSteps, KD_PriceWinVSteps, KD_PriceWinIncr, KD_PriceWinVIncr,
    KD_PriceWinDisplay, KD_PriceWinLook, KD_PriceWinLaxis, KD_PriceWinRaxis, KD_PriceWinDone;
Window KD_AdjustWin, KD_AdjustWinDate, KD_AdjustWinRatio, KD_AdjustWinDone;
Window KD_DateWin, KD_DateWinGraphAdv, KD_DateWinGraphType, KD_DateWinDayCount, KD_DateWinStartDay,
    KD_DateWinEndDay, KD_DateWinDone;
Window KD_MvAvgWin, KD_MvAvgWinBol, KD_MvAvgWinAvg, KD_MvAvgWinFib, KD_MvAvgWinVol, KD_MvAvgWinStd,
    KD_MvAvgWinType, KD_MvAvgWinDays, KD_MvAvgWinStoch, KD_MvAvgWinFibhigh, KD_MvAvgWinFiblow, KD_MvAvgWinDone;
Window KD_DatabaseWin, KD_DatabaseWinGen, KD_DatabaseWinSym, KD_DatabaseWinDay, KD_DatabaseWinPrint,
    KD_DatabaseWinDone;
Window KD_StockWin, KD_StockWinName, KD_StockWinBuyP, KD_StockWinBuyV, KD_StockWinAVol, KD_StockWinVolt,
    KD_StockWinCVol, KD_StockWinCmp, KD_StockWinDone;
Window KD_CombWin, KD_CombWinList, KD_CombWinDone;
Window KD_GroupWin, KD_GroupWinName, KD_GroupWinMode, KD_GroupWinDone;
Window KD_MarketWin, KD_MarketWinSday, KD_MarketWinEday, KD_MarketWinDisp, KD_MarketWinDone;
Window KD_AdlnWin, KD_AdlnWinDepth, KD_AdlnWinDisp, KD_AdlnWinDone;
Window KD_QueryWin, KD_QueryWinSdate, KD_QueryWinEdate, KD_QueryWinCdate, KD_QueryWinLprice, KD_QueryWinHprice,
    KD_QueryWinCount, KD_QueryWinSMode, KD_QueryWinFibtop, KD_QueryWinFibbot, KD_QueryWinFibpol, KD_QueryWinDistr,
    KD_QueryWinDistrIncr, KD_QueryWinScreen, KD_QueryWinDone;

namespace {

// ---- value formats ----

void fmt(char* out, std::size_t n, const char* f, double v) { std::snprintf(out, n, f, v); }
// Eight characters with `places` decimals, or fewer decimals where the
// whole number needs the room: a field shows every digit of a large value.
void fmt8(char* out, std::size_t n, int places, double v) {
  while (std::snprintf(out, n, "%8.*f", places, v) > 8 && places > 0) --places;
}
void fmt_int(char* out, std::size_t n, const char* f, long v) { std::snprintf(out, n, f, v); }
const char* on_off(int flag) { return flag ? "on" : "off"; }

void show_price_letters(char* out, std::size_t n) {
  std::snprintf(out, n, "%s%s%s", pricetype & 1 ? "h" : "", pricetype & 2 ? "l" : "", pricetype & 4 ? "c" : "");
}
void show_adjust_date(char* out, std::size_t n) {
  if (adjust_date == 0) out[0] = '\0';
  else std::snprintf(out, n, "%d/%d/%d", adjust_date / 100 % 100, adjust_date % 100, adjust_date / 10000);
}

void v_bottom(char* o, std::size_t n) { fmt8(o, n, 4, price_bottom); }
void v_steps(char* o, std::size_t n) { fmt_int(o, n, "%3ld", price_steps); }
void v_vsteps(char* o, std::size_t n) { fmt_int(o, n, "%3ld", volume_steps); }
void v_incr(char* o, std::size_t n) { fmt8(o, n, 4, price_incr); }
void v_vincr(char* o, std::size_t n) { fmt8(o, n, 4, volume_incr); }
void v_compare(char* o, std::size_t n) { std::snprintf(o, n, "%s", comparename); }
void v_look(char* o, std::size_t n) { std::snprintf(o, n, "%c", quotelook == 'b' ? 'b' : 'd'); }
void v_laxis(char* o, std::size_t n) { std::snprintf(o, n, "%c", laxis); }
void v_raxis(char* o, std::size_t n) { std::snprintf(o, n, "%c", raxis); }
void v_ratio(char* o, std::size_t n) { fmt8(o, n, 4, adjust_ratio); }
void v_adv(char* o, std::size_t n) { fmt_int(o, n, "%2ld", graph_adv); }
void v_type(char* o, std::size_t n) { fmt_int(o, n, "%2ld", graph_type); }
void v_count(char* o, std::size_t n) { fmt_int(o, n, "%4ld", disp_days); }
void v_start(char* o, std::size_t n) { std::snprintf(o, n, "%d/%d/%d", KD_csm, KD_csd, KD_csy); }
void v_end(char* o, std::size_t n) { std::snprintf(o, n, "%d/%d/%d", KD_cem, KD_ced, KD_cey); }
void v_bol(char* o, std::size_t n) { std::snprintf(o, n, "%s", on_off(bollingerflag)); }
void v_avg(char* o, std::size_t n) { std::snprintf(o, n, "%s", on_off(mvavgflag)); }
void v_fib(char* o, std::size_t n) { std::snprintf(o, n, "%s", on_off(fibflag)); }
void v_vol(char* o, std::size_t n) { std::snprintf(o, n, "%s", on_off(volflag)); }
void v_std(char* o, std::size_t n) { fmt(o, n, "%4.2f", bolstd); }
void v_mtype(char* o, std::size_t n) { fmt_int(o, n, "%2ld", mvavgtype); }
void v_mdays(char* o, std::size_t n) { fmt_int(o, n, "%3ld", mvavgdays); }
void v_stoch(char* o, std::size_t n) { fmt_int(o, n, "%3ld", stochdays); }
void v_fibhigh(char* o, std::size_t n) { fmt(o, n, "%6.4f", fibhigh); }
void v_fiblow(char* o, std::size_t n) { fmt(o, n, "%6.4f", fiblow); }
void v_gen(char* o, std::size_t n) { std::snprintf(o, n, "%s", generaldir); }
void v_sym(char* o, std::size_t n) { std::snprintf(o, n, "%s", symboldir); }
void v_day(char* o, std::size_t n) { std::snprintf(o, n, "%s", daydir); }
void v_print(char* o, std::size_t n) { std::snprintf(o, n, "%s", printpath); }
void v_symbol(char* o, std::size_t n) { std::snprintf(o, n, "%s", symbolname); }
void v_buyp(char* o, std::size_t n) { fmt8(o, n, 4, stockbuyprice); }
void v_buyv(char* o, std::size_t n) { fmt_int(o, n, "%7ld", buyvolume); }
void v_avol(char* o, std::size_t n) { fmt_int(o, n, "%7ld", stockbuyavol); }
void v_vdate(char* o, std::size_t n) {
  std::snprintf(o, n, "%02d/%02d/%02d", queryvdate / 10000, queryvdate / 100 % 100, queryvdate % 100);
}
void v_cvol(char* o, std::size_t n) { fmt_int(o, n, "%7ld", curvol); }
void v_comb(char* o, std::size_t n) { std::snprintf(o, n, "%6.6s", comblist); }
void v_group(char* o, std::size_t n) { std::snprintf(o, n, "%s", groupname); }
void v_gmode(char* o, std::size_t n) { std::snprintf(o, n, "%c", groupmode); }

void l_data(char* o, std::size_t n) { std::snprintf(o, n, "Data  %d/%d/%d", KD_sm, KD_sd, KD_sy); }
void l_range(char* o, std::size_t n) { std::snprintf(o, n, "Range %d/%d/%d", KD_em, KD_ed, KD_ey); }
void l_days(char* o, std::size_t n) { std::snprintf(o, n, "number of days %d", num_days); }
void l_kinds(char* o, std::size_t n) { std::snprintf(o, n, "1-d 2-w 3-m 4-q 5-y"); }
void l_axes(char* o, std::size_t n) { std::snprintf(o, n, "n-none, p-price, %c-percent", '%'); }
void l_panels(char* o, std::size_t n) { std::snprintf(o, n, "r:rsi m:macd t:stochastics"); }
void l_mvtypes(char* o, std::size_t n) { std::snprintf(o, n, " 1-simple, 2-day, 3-volume"); }

void mmddyy(char* o, std::size_t n, int d) { std::snprintf(o, n, "%02d/%02d/%02d", d / 10000, d / 100 % 100, d % 100); }
void v_qsdate(char* o, std::size_t n) { mmddyy(o, n, querysdate); }
void v_msday(char* o, std::size_t n) { mmddyy(o, n, marketsday); }
void v_meday(char* o, std::size_t n) { mmddyy(o, n, marketeday); }
void v_mdisp(char* o, std::size_t n) { std::snprintf(o, n, "%c", marketdisp); }
void v_depth(char* o, std::size_t n) { std::snprintf(o, n, "%s", adln_depth); }
void v_adisp(char* o, std::size_t n) { std::snprintf(o, n, "%s", adln_disp); }
void v_qedate(char* o, std::size_t n) { mmddyy(o, n, queryedate); }
void v_qcdate(char* o, std::size_t n) { mmddyy(o, n, querycdate); }
void v_qlprice(char* o, std::size_t n) { fmt8(o, n, 3, querylprice); }
void v_qhprice(char* o, std::size_t n) { fmt8(o, n, 3, queryhprice); }
void v_qcount(char* o, std::size_t n) { fmt_int(o, n, "%4ld", querycount); }
void v_qsmode(char* o, std::size_t n) { std::snprintf(o, n, "%c", querysmode); }
void v_qfibpol(char* o, std::size_t n) { std::snprintf(o, n, "%c", fibpolar); }
void v_qfibtop(char* o, std::size_t n) { fmt(o, n, "%5.4f", fibtop); }
void v_qfibbot(char* o, std::size_t n) { fmt(o, n, "%5.4f", fibbot); }
void v_qdistr(char* o, std::size_t n) { std::snprintf(o, n, "%8s", distr_screen); }
void v_qincr(char* o, std::size_t n) { fmt8(o, n, 5, distr_incr); }
void v_qscreen(char* o, std::size_t n) { copy_text(o, n, screen_text); }

}  // namespace

// clang-format off
Dialog price_dialog{&KD_PriceWin, &KD_PriceWinDone, 28, 19, 8, 17, {{16, l_axes}}, {
  // window               row col w  label            row hint                       row col store            var            size echo  value
  {&KD_PriceWinBottom,     1, 14, 8, "Start Price:",   2, nullptr, 0, 0,                   Store::Float,   &price_bottom,  0, true,  v_bottom},
  {&KD_PriceWinSteps,      3, 15, 3, "Price Steps:",   4, nullptr, 0, 0,                   Store::Int,     &price_steps,   0, true,  v_steps},
  {&KD_PriceWinVSteps,     4, 15, 3, "Volume Steps:",  5, nullptr, 0, 0,                   Store::Int,     &volume_steps,  0, true,  v_vsteps},
  {&KD_PriceWinIncr,       6, 14, 8, "Price Incr:",    7, nullptr, 0, 0,                   Store::Float,   &price_incr,    0, true,  v_incr},
  {&KD_PriceWinVIncr,      7, 14, 8, "Volume Incr:",   8, nullptr, 0, 0,                   Store::Float,   &volume_incr,   0, true,  v_vincr},
  {&KD_PriceWinDisplay,    9, 10, 4, "Display:",      10, "h-high, l-low, c-close", 11, 1,  Store::Letters, &pricetype,     0, true,  show_price_letters},
  {&KD_PriceWinLook,      12,  7, 2, "Look:",         13, "d-dot, b-bar", 13, 11,          Store::Look,    &quotelook,     0, true,  v_look},
  {&KD_PriceWinLaxis,     14,  9, 2, "L axis:",       15, nullptr, 0, 0,                   Store::Char,    &laxis,         0, false, v_laxis},
  {&KD_PriceWinRaxis,     14, 20, 2, nullptr,         15, "R axis:", 15, 12,               Store::Char,    &raxis,         0, false, v_raxis},
}, after_price};

Dialog adjust_dialog{&KD_AdjustWin, &KD_AdjustWinDone, 24, 7, 9, 5, {}, {
  {&KD_AdjustWinDate,      1,  9, 9, "Date:",          2, nullptr, 0, 0,                   Store::DateYYMMDD, &adjust_date,  0, true,  show_adjust_date},
  {&KD_AdjustWinRatio,     3,  9, 9, "Ratio:",         4, nullptr, 0, 0,                   Store::Float,   &adjust_ratio,  0, true,  v_ratio},
}, after_adjust};

Dialog date_dialog{&KD_DateWin, &KD_DateWinDone, 24, 15, 9, 13, {{2, l_data}, {3, l_range}, {4, l_days}, {8, l_kinds}}, {
  {&KD_DateWinGraphAdv,    5, 13, 2, "Graph Adv",      6, nullptr, 0, 0,                   Store::Int,     &graph_adv,     0, false, v_adv},
  {&KD_DateWinGraphType,   6, 13, 2, "Graph Type",     7, nullptr, 0, 0,                   Store::Int,     &graph_type,    0, false, v_type},
  {&KD_DateWinDayCount,    9, 13, 5, "Actual Days",   10, nullptr, 0, 0,                   Store::DayCount, &disp_days,    0, false, v_count},
  {&KD_DateWinStartDay,   10, 13, 9, "Start Day",     11, nullptr, 0, 0,                   Store::ShownFirst, nullptr,     0, false, v_start},
  {&KD_DateWinEndDay,     11, 13, 9, "End Day",       12, nullptr, 0, 0,                   Store::ShownLast, nullptr,      0, false, v_end},
}, after_date};

Dialog mvavg_dialog{&KD_MvAvgWin, &KD_MvAvgWinDone, 32, 17, 14, 15, {{9, l_mvtypes}}, {
  {&KD_MvAvgWinBol,        1, 17, 4, "Bollinger Band:",  2, "on/off", 2, 22,             Store::OnOff,   &bollingerflag, 0, false, v_bol},
  {&KD_MvAvgWinAvg,        2, 17, 4, "Moving Average:",  3, "on/off", 3, 22,             Store::OnOff,   &mvavgflag,     0, false, v_avg},
  {&KD_MvAvgWinFib,        3, 17, 4, "Fibonacci Lines:", 4, "on/off", 4, 22,             Store::OnOff,   &fibflag,       0, false, v_fib},
  {&KD_MvAvgWinVol,        4, 17, 4, "Volume turnover:", 5, "on/off", 5, 22,             Store::OnOff,   &volflag,       0, false, v_vol},
  {&KD_MvAvgWinStd,        6, 10, 4, "Std Dev:",         7, nullptr, 0, 0,               Store::Float,   &bolstd,        0, false, v_std},
  {&KD_MvAvgWinType,       7, 10, 2, "Type:",            8, "0-none", 8, 13,             Store::Int,     &mvavgtype,     0, false, v_mtype},
  {&KD_MvAvgWinDays,      10, 20, 3, "Mvavg Number Days:", 11, nullptr, 0, 0,            Store::Int,     &mvavgdays,     0, false, v_mdays},
  {&KD_MvAvgWinStoch,     11, 20, 3, "Stochastics Days:",  12, nullptr, 0, 0,            Store::Int,     &stochdays,     0, false, v_stoch},
  {&KD_MvAvgWinFibhigh,   12, 20, 7, "Fibonacci high:",    13, nullptr, 0, 0,            Store::Float,   &fibhigh,       0, false, v_fibhigh},
  {&KD_MvAvgWinFiblow,    13, 20, 7, "Fibonacci Low:",     14, nullptr, 0, 0,            Store::Float,   &fiblow,        0, false, v_fiblow},
}, after_mvavg};

Dialog database_dialog{&KD_DatabaseWin, &KD_DatabaseWinDone, 50, 15, 24, 13, {}, {
  {&KD_DatabaseWinGen,     2,  1, 48, "General Directory:", 2, nullptr, 0, 0,            Store::Text,    generaldir,  1023, false, v_gen},
  {&KD_DatabaseWinSym,     5,  1, 48, "Symbol Directory:",  5, nullptr, 0, 0,            Store::Text,    symboldir,   1023, false, v_sym},
  {&KD_DatabaseWinDay,     8,  1, 48, "Day Directory:",     8, nullptr, 0, 0,            Store::Text,    daydir,      1023, false, v_day},
  {&KD_DatabaseWinPrint,  11,  1, 48, "Print Path:",       11, nullptr, 0, 0,            Store::Text,    printpath,   1023, false, v_print},
}, after_database};

Dialog stock_dialog{&KD_StockWin, &KD_StockWinDone, 28, 12, 10, 10, {}, {
  {&KD_StockWinName,       1,  9, 8, "Symbol:",          2, nullptr, 0, 0,               Store::Upper,   symbolname,     8, false, v_symbol},
  {&KD_StockWinBuyP,       3, 18, 8, "Buy Price:",       4, nullptr, 0, 0,               Store::Float,   &stockbuyprice, 0, false, v_buyp},
  {&KD_StockWinBuyV,       4, 18, 8, "Buy Volume:",      5, nullptr, 0, 0,               Store::Int,     &buyvolume,     0, false, v_buyv},
  {&KD_StockWinAVol,       5, 18, 8, "Avg Volume:",      6, nullptr, 0, 0,               Store::Int,     &stockbuyavol,  0, false, v_avol},
  {&KD_StockWinVolt,       6, 18, 8, "Volume Turnover:", 7, nullptr, 0, 0,               Store::DateMMDDYY, &queryvdate, 0, false, v_vdate},
  {&KD_StockWinCVol,       7, 18, 8, "Company Shares:",  8, nullptr, 0, 0,               Store::Int,     &curvol,        0, false, v_cvol},
  {&KD_StockWinCmp,        8, 18, 8, "Compare:",         9, nullptr, 0, 0,               Store::Upper,   comparename,   15, false, v_compare},
}, after_stock};

Dialog market_dialog{&KD_MarketWin, &KD_MarketWinDone, 24, 9, 8, 7, {
  {2, nullptr, 1, "Start Day:"}, {3, nullptr, 3, "End Day:"}, {5, nullptr, 6, "Type:"},
  {6, nullptr, 1, "N: NYSE, O:OTC, A:AMEX"}}, {
  {&KD_MarketWinSday,      1, 12, 9, nullptr, 0, nullptr, 0, 0,  Store::DateMMDDYY, &marketsday,   0, false, v_msday},
  {&KD_MarketWinEday,      2, 12, 9, nullptr, 0, nullptr, 0, 0,  Store::DateMMDDYY, &marketeday,   0, false, v_meday},
  {&KD_MarketWinDisp,      4, 12, 2, nullptr, 0, nullptr, 0, 0,  Store::Char,    &marketdisp,      0, false, v_mdisp},
}, after_market};

Dialog adln_dialog{&KD_AdlnWin, &KD_AdlnWinDone, 32, 12, 10, 10, {
  {2, nullptr, 1, "Depth:"}, {3, nullptr, 1, "S: all stocks G: all groups"}, {4, nullptr, 8, "?: group number/name"},
  {6, nullptr, 1, "Display:"}, {7, nullptr, 1, "a: all d: advance-decline"},
  {8, nullptr, 1, "+:advance -:decline u:unchanged"}, {9, nullptr, 1, "c: cumulative advance-decline"}}, {
  {&KD_AdlnWinDepth,       1, 10, 8, nullptr, 0, nullptr, 0, 0,  Store::Text,    adln_depth,      15, false, v_depth},
  {&KD_AdlnWinDisp,        5, 10, 4, nullptr, 0, nullptr, 0, 0,  Store::Text,    adln_disp,        7, false, v_adisp},
}, after_adln, adln_unset};

Dialog group_dialog{&KD_GroupWin, &KD_GroupWinDone, 28, 8, 7, 6, {}, {
  {&KD_GroupWinName,       1,  9, 8, "Group:",           2, nullptr, 0, 0,               Store::Text,    groupname,      8, false, v_group},
  {&KD_GroupWinMode,       3,  9, 2, "mode:",            4, "t: together  s: separate", 5, 1, Store::Char, &groupmode, 0, false, v_gmode},
}, after_group};

Dialog comb_dialog{&KD_CombWin, &KD_CombWinDone, 36, 8, 12, 6, {{4, l_panels}, {5, nullptr, 1, "c:relative strength to compare"}}, {
  {&KD_CombWinList,        1, 15, 6, "Combinations:",    2, "s:stock v:volume a:movement g:value", 3, 1, Store::Text, comblist, 5, false, v_comb},
}, after_comb};
// clang-format on

Dialog query_dialog{&KD_QueryWin, &KD_QueryWinDone, 28, 27, 10, 25, {
  {2, nullptr, 1, "Day Range:"}, {3, nullptr, 7, "Start"}, {4, nullptr, 9, "End"}, {5, nullptr, 5, "Compare"},
  {6, nullptr, 1, "Price Range:"}, {7, nullptr, 9, "Low"}, {8, nullptr, 8, "High"}, {10, nullptr, 7, "Count:"},
  {12, nullptr, 7, "Mode:"}, {13, nullptr, 1, "a:accumlate s:separate"}, {15, nullptr, 1, "Fibonacci:"},
  {16, nullptr, 6, "Polarity:"}, {17, nullptr, 3, "Top percent:"}, {18, nullptr, 1, "Bottom percent:"},
  {20, nullptr, 1, "Distr:    A-all, G-grps"}, {21, nullptr, 1, "screen:          #-grp num"},
  {22, nullptr, 1, "incr:            ?=grp name"}, {24, nullptr, 1, "Screen:"}}, {
  {&KD_QueryWinSdate,      2, 13, 8, nullptr, 0, nullptr, 0, 0,  Store::DateMMDDYY, &querysdate,   0, false, v_qsdate},
  {&KD_QueryWinEdate,      3, 13, 8, nullptr, 0, nullptr, 0, 0,  Store::DateMMDDYY, &queryedate,   0, false, v_qedate},
  {&KD_QueryWinCdate,      4, 13, 8, nullptr, 0, nullptr, 0, 0,  Store::DateMMDDYY, &querycdate,   0, false, v_qcdate},
  {&KD_QueryWinLprice,     6, 13, 8, nullptr, 0, nullptr, 0, 0,  Store::Float,   &querylprice,     0, false, v_qlprice},
  {&KD_QueryWinHprice,     7, 13, 8, nullptr, 0, nullptr, 0, 0,  Store::Float,   &queryhprice,     0, false, v_qhprice},
  {&KD_QueryWinCount,      9, 13, 4, nullptr, 0, nullptr, 0, 0,  Store::Int,     &querycount,      0, false, v_qcount},
  {&KD_QueryWinSMode,     11, 15, 2, nullptr, 0, nullptr, 0, 0,  Store::Char,    &querysmode,      0, false, v_qsmode},
  {&KD_QueryWinFibpol,    15, 21, 2, nullptr, 0, nullptr, 0, 0,  Store::Char,    &fibpolar,        0, false, v_qfibpol},
  {&KD_QueryWinFibtop,    16, 17, 6, nullptr, 0, nullptr, 0, 0,  Store::Float,   &fibtop,          0, false, v_qfibtop},
  {&KD_QueryWinFibbot,    17, 17, 6, nullptr, 0, nullptr, 0, 0,  Store::Float,   &fibbot,          0, false, v_qfibbot},
  {&KD_QueryWinDistr,     20,  8, 8, nullptr, 0, nullptr, 0, 0,  Store::Upper,   distr_screen,    15, false, v_qdistr},
  {&KD_QueryWinDistrIncr, 21,  8, 8, nullptr, 0, nullptr, 0, 0,  Store::ClassWidth, &distr_incr,   0, false, v_qincr},
  {&KD_QueryWinScreen,    23,  9, 18, nullptr, 0, nullptr, 0, 0, Store::Text,    screen_text,    255, true,  v_qscreen},
}, after_query};

Dialog* const dialogs[DIALOGS] = {&price_dialog, &adjust_dialog, &date_dialog, &mvavg_dialog,
                           &database_dialog, &stock_dialog, &comb_dialog, &query_dialog, &group_dialog,
                           &market_dialog,   &adln_dialog};
