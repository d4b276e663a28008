#include "support/pictures.hpp"

#include <array>
#include <cstddef>
#include <string_view>

namespace qx {

namespace {

template <std::size_t N>
using Picture = std::array<std::string_view, N>;

// Every line of a picture has the picture's width, trailing blanks included.
template <std::size_t N>
constexpr bool even_width(const Picture<N>& lines, std::size_t w) {
  for (const auto& l : lines) {
    if (l.size() != w) return false;
  }
  return true;
}

// Centred on column 26 (26 and 27 for an even width), between two lines of
// two blanks.
template <std::size_t N>
void draw(Session& s, const Picture<N>& lines) {
  const int w = static_cast<int>(lines[0].size());
  const int k = 26 - (w + 1) / 2;
  s.out("  ");
  for (const auto& l : lines) s.out(Line().x(k).t(l));
  s.out("  ");
}

constexpr Picture<7> kCarmag33{
    "-------------",
    "| 8 | 1 | 6 |",
    "|---|---|---|",
    "| 3 | 5 | 7 |",
    "|---|---|---|",
    "| 4 | 9 | 2 |",
    "-------------",
};
static_assert(even_width(kCarmag33, 13));

constexpr Picture<8> kEndfun1{
    R"(                \|/ ____ \|/    -     -     )",
    R"(       \|/       @~/ ,. \~@   o' \,=./ `o   )",
    R"(      (o -)     /_( \__/ )_\     (o o)      )",
    R"(|-oo0--(_)--0oo----\--U-/----oo0--(_)--0oo-|)",
    R"(|                                          |)",
    R"(|            THAT'S ALL FOLKS !            |)",
    R"(|                                          |)",
    R"(|------------------------------------------|)",
};
static_assert(even_width(kEndfun1, 44));

constexpr Picture<8> kGraben{
    R"(-+                                    +-)",
    R"(@@\-----+                      +-----/@@)",
    R"(@@@\@@@@@\---+            +---/@@@@@/@@@)",
    R"(====\@@@@@\@@@\----------/@@@/@@@@@/====)",
    R"(#####\=====\@@@\@@@@@@@@/@@@/=====/#####)",
    R"(######\#####\===\@@@@@@/===/#####/######)",
    R"(#######\#####\###\====/###/#####/#######)",
    R"(########\#####\###\##/###/#####/########)",
};
static_assert(even_width(kGraben, 40));

constexpr Picture<18> kHappyface{
    "            &&&&&&&&&&&&            ",
    "        &&                &&        ",
    "     &&                      &&     ",
    "   &&                          &&   ",
    "  &&                            &&  ",
    " &&                              && ",
    " &        &&&          &&&        & ",
    "&&        &&&          &&&        &&",
    "&&                                &&",
    "&&                                &&",
    "&&                                &&",
    " &     &&                  &&     & ",
    " &&      &&&            &&&      && ",
    "  &&        &&&&&&&&&&&&        &&  ",
    "   &&                          &&   ",
    "     &&                      &&     ",
    "        &&                &&        ",
    "            &&&&&&&&&&&&            ",
};
static_assert(even_width(kHappyface, 36));

constexpr Picture<8> kHorst{
    R"(           +----------------+           )",
    R"(        +---\@@@@@@@@@@@@@@/---+        )",
    R"(   +-----\@@@\@@@@@@@@@@@@/@@@/-----+   )",
    R"(----\@@@@@\@@@\==========/@@@/@@@@@/----)",
    R"(@@@@@\@@@@@\===\########/===/@@@@@/@@@@@)",
    R"(@@@@@@\=====\###\######/###/=====/@@@@@@)",
    R"(=======\#####\###\####/###/#####/=======)",
    R"(########\#####\###\##/###/#####/########)",
};
static_assert(even_width(kHorst, 40));

constexpr Picture<5> kSator{
    "S A T O R",
    "A R E P O",
    "T E N E T",
    "O P E R A",
    "R O T A S",
};
static_assert(even_width(kSator, 9));

// The same face, sad: only the mouth (lines 12 and 14) differs.
constexpr Picture<18> sad(Picture<18> face) {
  face[11] = " &          &&&&&&&&&&&&          & ";
  face[13] = "  &&   &&                  &&   &&  ";
  return face;
}
constexpr Picture<18> kSorryface = sad(kHappyface);
static_assert(even_width(kSorryface, 36));

constexpr Picture<4> kTetrakis{
    "      O      ",
    "    O   O    ",
    "  O   O   O  ",
    "O   O   O   O",
};
static_assert(even_width(kTetrakis, 13));

constexpr Picture<12> kTetratemple1{
    "          O          ",
    "       O     O       ",
    "    O     O     O    ",
    " O     O     O     O ",
    " =================== ",
    "   | |   | |   | |   ",
    "   | |   | |   | |   ",
    "   | |   | |   | |   ",
    "   | |   | |   | |   ",
    "   | |   | |   | |   ",
    " =================== ",
    "=====================",
};
static_assert(even_width(kTetratemple1, 21));

constexpr Picture<16> kTetratemple2{
    "               O          ",
    "            O /   O       ",
    "         O   /       O    ",
    "      O     /           O ",
    "     /     O           / /",
    "    /   O     O       / / ",
    "   / O     O     O   / /  ",
    "  O     O     O     O /   ",
    "  ===================/    ",
    "    | |   | |   | | ||    ",
    "    | |   | |   | | ||===/",
    "    | |   | |   | |     / ",
    "   /| |   | |   | |    /  ",
    "  / | |   | |   | |   /   ",
    " /===================/    ",
    "=====================     ",
};
static_assert(even_width(kTetratemple2, 26));

}  // namespace

void carmag33(Session& s) { draw(s, kCarmag33); }
void endfun1(Session& s) { draw(s, kEndfun1); }
void graben(Session& s) { draw(s, kGraben); }
void happyface(Session& s) { draw(s, kHappyface); }
void horst(Session& s) { draw(s, kHorst); }
void sator(Session& s) { draw(s, kSator); }
void sorryface(Session& s) { draw(s, kSorryface); }
void tetrakis(Session& s) { draw(s, kTetrakis); }
void tetratemple1(Session& s) { draw(s, kTetratemple1); }
void tetratemple2(Session& s) { draw(s, kTetratemple2); }

}  // namespace qx
