// The SVG picture's colours are the settings' names and its texts well-formed
// UTF-8 whatever the bytes of a name (that it holds what the recorder sees,
// for every view, the drawing checks of the screens test).
#include "support/fixtures.h"

#include <iconv.h>

namespace {

class Pictures : public ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    use_database(KADMER_SOURCE_DIR "/data/sample");
    mvavgtype = 1, mvavgdays = 20, stochdays = 14, bollingerflag = mvavgflag = fibflag = gridstate = 1;
    load_hooks.days_that_fit = days_that_fit;
  }
};

// Colours: the common X names, #rgb, #rrggbb and greyNN; a name the table
// does not know draws in the entry's start colour.
TEST_F(Pictures, ColoursAreTheSettingsNames) {
  struct { const char* name; bool known; unsigned rgb; } names[] = {
      {"Red", true, 0xff0000}, {"dark green", true, 0x006400}, {"#f08", true, 0xff0088}, {"#102030", true, 0x102030},
      {"grey40", true, 0x666666}, {"gray100", true, 0xffffff}, {"grey101", false, 0}, {"rde", false, 0},
      {"#12345", false, 0}};
  for (auto n : names) {
    unsigned rgb = 0;  // read after the call: a braced list is evaluated in order
    EXPECT_EQ((std::pair{n.known, n.rgb}), (std::pair{color_rgb(n.name, &rgb), rgb})) << n.name;
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
  EXPECT_EQ(std::string::npos, out.find("another window"));
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
  for (View look : {View::Groups, View::Companies}) {
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
