#pragma once
// Resource numbers of the library's own pictures, icons, sounds and region
// data: the library finds them by these, and tools/pubart draws them under
// these. One list for both, so the two never drift apart.

namespace pubres {

using Id = unsigned int;

// Program icon (16 x 16 and 32 x 32), also the programs' frame icon.
constexpr Id IDI_PROGRAM = 8037;

// Textures of the backgrounds and tables.
constexpr Id IDB_CLOTH = 8019;
constexpr Id IDB_BLUE_ORNAMENT = 8020;
constexpr Id IDB_GREY = 8021;
constexpr Id IDB_GREEN_CROSSES = 8022;
constexpr Id IDB_BROWN_ORNAMENT = 8024;
constexpr Id IDB_GREEN = 8025;
constexpr Id IDB_INDIGO = 8026;
// Face of the table's action button.
constexpr Id IDB_BUTTON = 8023;

// Backgrounds 0..6 and tables 3..6 of the appearance page.
inline constexpr Id kBackgrounds[7] = {IDB_GREEN,         IDB_CLOTH,         IDB_BROWN_ORNAMENT,
                                       IDB_BLUE_ORNAMENT, IDB_GREEN_CROSSES, IDB_INDIGO,
                                       IDB_GREY};
inline constexpr Id kTableTextures[4] = {IDB_BROWN_ORNAMENT, IDB_BLUE_ORNAMENT, IDB_GREEN_CROSSES,
                                         IDB_INDIGO};

// Region data ("BINARY") of the shaped tables 1 and 2.
constexpr Id IDR_TABLE_CARDS = 8028;
constexpr Id IDR_TABLE_FRAME = 8027;

// Trump suit marks.
constexpr Id IDI_SPADES = 8003;
constexpr Id IDI_HEARTS = 8004;
constexpr Id IDI_DIAMONDS = 8005;
constexpr Id IDI_CLUBS = 8016;

// Stars: the whole star, then its frames from full face to edge-on.
constexpr Id IDI_STAR_SILVER = 8000;
constexpr Id IDI_STAR_GOLD = 8006;
inline constexpr Id kSilverFrames[5] = {8002, 8008, 8009, 8010, 8015};
inline constexpr Id kGoldFrames[5] = {8001, 8011, 8012, 8013, 8014};

// Sounds: the card clicks, the deal and the taking of a trick.
constexpr Id IDW_CARD_GO = 8032;
constexpr Id IDW_CARD_RESET = 8033;
constexpr Id IDW_DISTR = 8034;
constexpr Id IDW_TAKE = 8035;

} // namespace pubres
