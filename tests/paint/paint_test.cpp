// The drawing layer's targets: the SVG picture holds one element for each
// call the recorder sees, with the same texts, for every view drawn from
// the demo database; its colours are the settings' names.
#include "support/fixtures.h"

#include <iconv.h>

#include <regex>

#include "query/query.h"

namespace {

// The elements of a picture after its background, and their texts.
struct Picture {
  std::vector<std::string> kinds, texts;
};

Picture elements(const std::string& svg) {
  Picture p;
  std::regex element("^<(text|rect|line|polygon)[^>]*>(.*?)(</text>)?$");
  std::vector<std::string> lines = split_lines(svg);
  for (std::size_t i = 3; i + 1 < lines.size(); ++i) {  // after the head, the svg element and the background
    std::smatch m;
    if (!std::regex_match(lines[i], m, element)) continue;
    p.kinds.push_back(m[1]);
    if (m[1] == "text") {
      std::string t = m[2];
      for (auto [from, to] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
        for (std::size_t at; (at = t.find(from)) != std::string::npos;) t.replace(at, std::strlen(from), to);
      p.texts.push_back(t);
    }
  }
  return p;
}

class Pictures : public ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    std::string sample = KADMER_SOURCE_DIR "/data/sample";
    copy_text(generaldir, sample + "/general");
    copy_text(symboldir, sample + "/symbols");
    copy_text(daydir, sample + "/days");
    initial_groups();
    initial_companys();
    mvavgtype = 1, mvavgdays = 20, stochdays = 14, bollingerflag = mvavgflag = fibflag = gridstate = 1;
    load_hooks.days_that_fit = days_that_fit;
  }
  void TearDown() override {
    qs.clear();
    querynum = 0;
    query_table_made = false;
    queryextraloaded = querygroupsloaded = querydistrloaded = 0;
    ChartTest::TearDown();
  }
};

TEST_F(Pictures, EveryViewDrawsTheSameCallsIntoThePictureAsIntoTheRecorder) {
  struct { int look; void (*load)(); } views[] = {
      {1, [] { copy_text(symbolname, "AN"), loadstock(); }}, {2, nullptr}, {3, nullptr}, {5, nullptr}, {6, nullptr},
      {7, nullptr}, {9, nullptr}, {10, nullptr},
      {4, [] { copy_text(groupname, "3"), groupmode = 's', loadgroup(), calc_price(); }},
      {8, [] { querysdate = 110226, queryedate = querycdate = 120426, querycount = 30, querylook = 2, load_query(); }},
      {8, [] { querylook = 10, load_query_groups(); }}, {8, [] { querylook = 14, load_query_distr(); }},
      {8, [] { querylook = 15; }}, {12, nullptr}, {13, nullptr},
      {15, [] { marketsday = 120326, marketeday = 120426, marketdisp = 'n', fill_market(); }},
      {14, [] { KD_csd = 1, KD_csm = 10, KD_csy = 26, KD_ced = 4, KD_cem = 12, KD_cey = 26,
                copy_text(adln_depth, "S"), copy_text(adln_disp, "a"), loadad(); }},
      {16, nullptr}};
  for (auto v : views) {
    if (v.load) v.load();
    graphlook = v.look;
    calculate_globals();
    rec.ops.clear();
    SvgTarget svg;
    install_target(&svg);
    draw_chart();
    install_target(nullptr);
    Picture p = elements(svg.svg());
    std::vector<std::string> kinds, texts;
    for (const DrawOp& op : rec.ops) {
      static const char* const names[] = {"text", "rect", "line", "rect", "polygon"};
      if (op.win != KD_MainWin) continue;
      kinds.push_back(names[static_cast<int>(op.kind)]);
      if (op.kind == DrawOp::Kind::Text) texts.push_back(op.text);
    }
    EXPECT_GT(texts.size(), 3u) << v.look;
    EXPECT_EQ(kinds, p.kinds) << v.look;
    EXPECT_EQ(texts, p.texts) << v.look;
  }
}

// Colours: the common X names, #rgb, #rrggbb and greyNN; a name the table
// does not know draws in the entry's start colour.
TEST_F(Pictures, ColoursAreTheSettingsNames) {
  struct { const char* name; bool known; unsigned rgb; } names[] = {
      {"Red", true, 0xff0000}, {"dark green", true, 0x006400}, {"#f08", true, 0xff0088}, {"#102030", true, 0x102030},
      {"grey40", true, 0x666666}, {"gray100", true, 0xffffff}, {"grey101", false, 0}, {"rde", false, 0},
      {"#12345", false, 0}};
  for (auto n : names) {
    unsigned rgb = 0;
    EXPECT_EQ(n.known, color_rgb(n.name, &rgb)) << n.name;
    EXPECT_EQ(n.rgb, rgb) << n.name;
  }
  set_color_name(colors_vr, COLOR_GRAPH, "rde");
  set_color_name(colors_vr, COLOR_GRID, "red");
  set_color_name(colors_vr, COLOR_BACKGROUND, "navy");
  SvgTarget svg;
  svg.text(KD_MainWin, Role::Graph, 1, 2, "a<b & \"c\"", 9);
  svg.text(KD_MainWin + 1, Role::Graph, 1, 2, "another window", 14);  // only the main window is pictured
  std::string out = svg.svg();
  EXPECT_NE(std::string::npos, out.find("fill=\"#000080\"/>"));  // the background
  EXPECT_NE(std::string::npos, out.find("fill=\"#ffffff\" font-family=\"monospace\""));
  EXPECT_EQ(1u, elements(out).texts.size());
  EXPECT_NE(std::string::npos, out.find(">a&lt;b &amp; &quot;c&quot;</text>"));
}

// The code points of UTF-8 text by the C library's decoder; empty when a
// byte is no well-formed UTF-8.
std::u32string code_points(std::string utf8) {
  std::u32string out(utf8.size(), U'\0');
  char *in = utf8.data(), *to = reinterpret_cast<char*>(out.data());
  std::size_t left = utf8.size(), room = out.size() * 4;
  iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
  bool ok = iconv(cd, &in, &left, &to, &room) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  return ok ? out.substr(0, out.size() - room / 4) : U"";
}

// A name in Latin-1 (as kadmer-import took it) or with control characters
// made the picture no XML. Every byte reaches the file as a character that
// XML 1.0 allows: a well-formed UTF-8 sequence as it is, any other byte as
// its Latin-1 letter, a control character as '?'.
TEST_F(Pictures, NamesOfAnyBytesAreWellFormedUtf8) {
  struct { const char* in; const char* out; int len = -1; } cases[] = {  // len: a name cut by its field
      {"Caf\xe9 SA", "Caf\xc3\xa9 SA"}, {"Caf\xc3\xa9 SA", "Caf\xc3\xa9 SA"},
      {"\xc3\xa9\xe9\xff", "\xc3\xa9\xc3\xa9\xc3\xbf"},
      {"\xe2\x82\xac\xf0\x9f\x93\x88", "\xe2\x82\xac\xf0\x9f\x93\x88"}, {"\xc0\xaf", "\xc3\x80\xc2\xaf"},
      {"\xe0\x80\xaf", "\xc3\xa0?\xc2\xaf"}, {"\xed\xa0\x80", "\xc3\xad\xc2\xa0?"}, {"\xf4\x90\x80\x80", "\xc3\xb4???"},
      {"\xe2\x82" "A\xe2\x82", "\xc3\xa2?A\xc3\xa2?"}, {"a\x01\tb\x7f\n\r\x1b", "a??b????"},
      {"\xc2\x85\x9c", "??"}, {"\xef\xbf\xbe\xef\xbf\xbf\xef\xbf\xbd", "??\xef\xbf\xbd"},
      {"<&\">'", "&lt;&amp;&quot;&gt;'"}, {"Caf\xc3\xa9", "Caf\xc3\x83", 4}};
  for (auto c : cases) {
    SvgTarget svg;
    svg.text(KD_MainWin, Role::Graph, 1, 2, c.in, c.len < 0 ? static_cast<int>(std::strlen(c.in)) : c.len);
    std::string out = svg.svg();
    std::size_t at = out.find("preserve\">") + 10;
    EXPECT_EQ(c.out, out.substr(at, out.find("</text>") - at)) << c.in;
  }
  // The company and group lists of names like these: the whole picture.
  copy_text(generaldir, "general");
  tables("1:Br\xfc" "der \"Q\" & Co:BRQ:\n2:Esc\x1b[31m:ESC:\n",
         "AB:Caf\xe9 SA:S:N:BRQ:950101-1:\nCD:Tab\tNul\x01\x7f:S:N:ESC:950101-1:\n");
  std::string picture;
  for (int look : {12, 13}) {
    SvgTarget svg;
    install_target(&svg), graphlook = look, calculate_globals(), draw_chart(), install_target(nullptr);
    picture += svg.svg();
  }
  std::u32string chars = code_points(picture);
  ASSERT_FALSE(chars.empty());
  for (char32_t ch : chars)
    EXPECT_TRUE(ch == '\n' || (ch >= 0x20 && ch < 0x7f) || (ch >= 0xa0 && ch <= 0xfffd)) << static_cast<unsigned>(ch);
  for (const char* has : {"Caf\xc3\xa9 SA", "Br\xc3\xbc" "der &quot;Q&quot; &amp; Co", "Esc?[31m", "Tab?Nul??"})
    EXPECT_NE(std::string::npos, picture.find(has)) << has;
}

}  // namespace
